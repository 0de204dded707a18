// Builds the sampler's System Exclusive messages: the four-byte header, the
// fields in the 6-bit encodings of the wire format, and F7.
#pragma once

#include <cstdint>
#include <vector>

class TSysExWriter {
public:
    // Starts a message with the header for channel 1..16.
    explicit TSysExWriter(int channel);

    TSysExWriter& Byte(std::uint8_t value);
    // Two bytes of six bits each, most significant first.
    TSysExWriter& Word12(std::uint32_t value);
    // Two 12-bit values.
    TSysExWriter& Word24(std::uint32_t value);
    // Three bytes of six bits each: a parameter word or a 16-bit sample.
    TSysExWriter& Word16(std::uint32_t value);
    // Appends F7 and hands the message over.
    std::vector<std::uint8_t> Finish();

private:
    std::vector<std::uint8_t> Message;
};
