// Test messages: well-formed System Exclusive messages of any size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// F0, size - 2 data bytes from a pattern that seed varies, F7.
inline std::vector<std::uint8_t> SysExMessage(std::size_t size, std::size_t seed = 0) {
    std::vector<std::uint8_t> message(size);
    for (std::size_t i = 0; i < size; ++i) {
        message[i] = static_cast<std::uint8_t>((seed + i * 7) % 0x80);
    }
    message.front() = 0xF0;
    message.back() = 0xF7;
    return message;
}
