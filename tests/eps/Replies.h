// Messages as the sampler sends them, for feeding the engine's input.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "eps/WireFormat.h"

using TBytes = std::vector<std::uint8_t>;

class TReply {
public:
    explicit TReply(int channel = 1) {
        for (std::uint8_t byte : FrameHeader(channel)) {
            Bytes.push_back(byte);
        }
    }
    TReply& Byte(std::uint8_t byte) {
        Bytes.push_back(byte);
        return *this;
    }
    TReply& Word12(std::uint32_t value) { return Append(Word12Bytes(value)); }
    TReply& Word16(std::uint32_t value) { return Append(Word16Bytes(value)); }
    TReply& Word24(std::uint32_t value) { return Append(Word24Bytes(value)); }
    TReply& Words(std::span<const std::int32_t> words) {
        for (std::int32_t word : words) {
            Word16(static_cast<std::uint32_t>(word));
        }
        return *this;
    }
    // Closes the message with F7.
    TBytes End() {
        Bytes.push_back(SysExEnd);
        return Bytes;
    }

private:
    template <typename TArray> TReply& Append(const TArray& bytes) {
        Bytes.insert(Bytes.end(), bytes.begin(), bytes.end());
        return *this;
    }

    TBytes Bytes;
};

inline TBytes Response(std::uint8_t code, int channel = 1) {
    return TReply(channel).Byte(0x01).Byte(0x00).Byte(code).End();
}

// Message 12, 14, 15 or 19 with the address; 15 and 19 also carry a range.
inline TBytes AddressedHeader(std::uint8_t code, int instrument, int waveSample) {
    return TReply().Byte(code).Word12(instrument).Word12(0).Word12(waveSample).End();
}

inline TBytes RangeHeader(std::uint8_t code, int instrument, int waveSample, int start, int end) {
    return TReply()
        .Byte(code)
        .Word12(instrument)
        .Word12(0)
        .Word12(waveSample)
        .Word24(start)
        .Word24(end)
        .End();
}

inline TBytes DataMessage(std::span<const std::int32_t> words) {
    return TReply().Words(words).End();
}

inline TBytes Concat(std::initializer_list<TBytes> parts) {
    TBytes all;
    for (const TBytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}
