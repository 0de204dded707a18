// The codes of the sampler's response message.
#pragma once

#include <cstdint>

enum class TResponseCode : std::uint8_t {
    Ack = 0,
    Wait = 1,
    NoInstrument = 5,
    NoLayer = 6,
    InvalidWaveSample = 8,
    CannotServe = 10,
    MemoryFull = 12,
    IsCopy = 17,
    TooFast = 20,
};
