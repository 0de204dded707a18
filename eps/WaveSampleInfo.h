// What a wavesample holds, as the browser and the upload's question show it,
// read without disturbing the wavesample that is open.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class TEps;

struct TWaveSampleInfo {
    std::string Name;
    std::int32_t Samples = 0;
    // The parameter word of the sampling period, as the sampler keeps it.
    std::int32_t PeriodWord = 0;
    // The wavesample whose samples this one plays, when it is a
    // parameters-only copy; 0 otherwise.
    int CopyOf = 0;
};

// Reads the parameters of a wavesample, busy as every exchange, so that the
// owner may give the read up; the engine's current instrument, wavesample and
// parameter block are as they were afterwards. Empty when the sampler does
// not give them or the read was given up.
std::optional<TWaveSampleInfo> ReadWaveSampleInfo(TEps& eps, int instrument, int waveSample);
