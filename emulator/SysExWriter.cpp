#include "emulator/SysExWriter.h"

TSysExWriter::TSysExWriter(int channel)
    : Message{0xF0, 0x0F, 0x03, static_cast<std::uint8_t>((channel - 1) & 0x0F)} {}

TSysExWriter& TSysExWriter::Byte(std::uint8_t value) {
    Message.push_back(value);
    return *this;
}

TSysExWriter& TSysExWriter::Word12(std::uint32_t value) {
    return Byte((value >> 6) & 0x3F).Byte(value & 0x3F);
}

TSysExWriter& TSysExWriter::Word24(std::uint32_t value) {
    return Word12((value >> 12) & 0xFFF).Word12(value & 0xFFF);
}

TSysExWriter& TSysExWriter::Word16(std::uint32_t value) {
    return Byte((value >> 12) & 0x3F).Byte((value >> 6) & 0x3F).Byte(value & 0x3F);
}

std::vector<std::uint8_t> TSysExWriter::Finish() {
    Message.push_back(0xF7);
    return std::move(Message);
}
