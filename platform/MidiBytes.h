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
