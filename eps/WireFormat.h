// The sampler's System Exclusive frame and its number encodings. Every field
// byte carries 6 bits, most significant part first.
#pragma once

#include <array>
#include <cstdint>

#include "platform/MidiBytes.h"

constexpr std::uint8_t EnsoniqId = 0x0F;
constexpr std::uint8_t EpsFamilyId = 0x03;

// The first bytes of every message in either direction; channel is 1..16.
constexpr std::array<std::uint8_t, 4> FrameHeader(int channel) {
    return {SysExStart, EnsoniqId, EpsFamilyId, static_cast<std::uint8_t>((channel - 1) & 0x0F)};
}

// The shifts are logical on 32 bits, so that a sample held as a negative
// number keeps its two's-complement bits 17 and 16 in the first byte.
constexpr std::array<std::uint8_t, 2> Word12Bytes(std::uint32_t value) {
    return {static_cast<std::uint8_t>((value >> 6) & 0x3F),
            static_cast<std::uint8_t>(value & 0x3F)};
}

constexpr std::array<std::uint8_t, 3> Word16Bytes(std::uint32_t value) {
    return {static_cast<std::uint8_t>((value >> 12) & 0x3F),
            static_cast<std::uint8_t>((value >> 6) & 0x3F),
            static_cast<std::uint8_t>(value & 0x3F)};
}

constexpr std::array<std::uint8_t, 4> Word24Bytes(std::uint32_t value) {
    const auto high = Word12Bytes((value >> 12) & 0xFFF);
    const auto low = Word12Bytes(value & 0xFFF);
    return {high[0], high[1], low[0], low[1]};
}

// Received bytes are assembled as they come, without masking.
constexpr std::int32_t Word12Value(std::uint8_t b1, std::uint8_t b2) {
    return b1 << 6 | b2;
}

constexpr std::int32_t Word16Value(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
    return b1 << 12 | b2 << 6 | b3;
}

constexpr std::int32_t Word24Value(std::int32_t high, std::int32_t low) {
    return high << 12 | low;
}
