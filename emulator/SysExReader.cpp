#include "emulator/SysExReader.h"

// The encodings carry six bits in each byte; a stray seventh bit is not part
// of the value.
std::uint32_t TSysExReader::Word12() {
    const std::uint32_t high = Byte() & 0x3Fu;
    return (high << 6) | (Byte() & 0x3Fu);
}

std::uint32_t TSysExReader::Word24() {
    const std::uint32_t high = Word12();
    return (high << 12) | Word12();
}

std::uint32_t TSysExReader::Word16() {
    const std::uint32_t high = Word12();
    return (high << 6) | (Byte() & 0x3Fu);
}
