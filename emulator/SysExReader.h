// Reads the fields of one received System Exclusive message, from the first
// byte after the header. The caller has checked the message's length, so a
// read never runs past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

class TSysExReader {
public:
    static constexpr std::size_t HeaderSize = 4;

    explicit TSysExReader(std::span<const std::uint8_t> message)
        : Message(message), Position(HeaderSize) {}

    std::uint8_t Byte() { return Message[Position++]; }
    std::uint32_t Word12();
    std::uint32_t Word24();
    std::uint32_t Word16();

private:
    std::span<const std::uint8_t> Message;
    std::size_t Position;
};
