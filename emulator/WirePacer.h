// One direction of a simulated MIDI cable: bytes leave one after the other at
// the cable's speed, so a burst arrives later than it was handed over.
#pragma once

#include <chrono>
#include <cstddef>

#include "emulator/SamplerTiming.h"

class TWirePacer {
public:
    using TClock = std::chrono::steady_clock;

    explicit TWirePacer(const TSamplerTiming& timing) : ByteTime(timing.ByteTime()) {}

    // When `bytes` handed over at `now` have all arrived, after whatever was
    // handed over before them.
    TClock::time_point Pass(std::size_t bytes, TClock::time_point now);
    // An idle cable: the next bytes leave at once.
    void Reset() { Free = {}; }

private:
    TSamplerTiming::TDuration ByteTime;
    TClock::time_point Free{};
};
