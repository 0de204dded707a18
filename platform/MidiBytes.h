// Facts about MIDI status bytes that the layer and its providers share.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr std::uint8_t SysExStart = 0xF0;
constexpr std::uint8_t SysExEnd = 0xF7;

constexpr bool IsStatusByte(std::uint8_t b) {
    return b >= 0x80;
}

constexpr bool IsRealTime(std::uint8_t b) {
    return b >= 0xF8;
}

// Length of a whole short message beginning with this status byte, or 0 when
// the byte does not begin one (a data byte, System Exclusive, undefined).
constexpr std::size_t ShortMessageLength(std::uint8_t status) {
    if (status < 0x80) {
        return 0;
    }
    if (status < 0xF0) {
        const std::uint8_t kind = status & 0xF0;
        return (kind == 0xC0 || kind == 0xD0) ? 2 : 3;
    }
    switch (status) {
    case 0xF1:
    case 0xF3:
        return 2;
    case 0xF2:
        return 3;
    case 0xF6:
    case 0xF8:
    case 0xFA:
    case 0xFB:
    case 0xFC:
    case 0xFE:
    case 0xFF:
        return 1;
    default:
        return 0;
    }
}

// A short message as the multimedia MIDI calls carry it in one 32-bit word:
// the status byte lowest, then the data bytes.
constexpr std::uint32_t PackShortMessage(const std::uint8_t* bytes, std::size_t count) {
    std::uint32_t packed = 0;
    for (std::size_t i = 0; i < count; ++i) {
        packed |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
    }
    return packed;
}

// The bytes of a packed short message, as many as its status byte calls for;
// 0 when the word holds no short message.
constexpr std::size_t UnpackShortMessage(std::uint32_t packed, std::uint8_t (&bytes)[3]) {
    bytes[0] = static_cast<std::uint8_t>(packed & 0xFF);
    bytes[1] = static_cast<std::uint8_t>((packed >> 8) & 0x7F);
    bytes[2] = static_cast<std::uint8_t>((packed >> 16) & 0x7F);
    return ShortMessageLength(bytes[0]);
}
