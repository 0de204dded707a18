// How long things take in the sampler. Durations are the sampler's own; the
// time scale makes all of them pass faster in real time, so that a benchmark
// can measure a slow cable quickly.
#pragma once

#include <chrono>
#include <cstdint>

struct TSamplerTiming {
    using TDuration = std::chrono::nanoseconds;

    // Bits per second on the MIDI cable, 10 bits a byte; 0 for no limit.
    std::uint32_t Baud = 0;
    // Real time runs this many times slower than the sampler's time.
    double TimeScale = 1.0;
    // Processing time of an edit, per sample it touches.
    TDuration EditPerSample = std::chrono::microseconds(2);
    // Time to store one word of an uploaded block; a block header that comes
    // before the previous block is stored is refused as too fast. 0: never.
    TDuration BlockPerWord{0};
    // An edit that takes at least this long answers with wait responses,
    // one now and one after each further interval, before its real answer;
    // shorter edits answer at once.
    TDuration WaitThreshold = std::chrono::milliseconds(250);
    TDuration WaitInterval = std::chrono::milliseconds(250);

    // The real time that a duration of the sampler's takes.
    TDuration Real(TDuration simulated) const;
    // Real time of one byte on the cable; 0 for no limit.
    TDuration ByteTime() const;
};
