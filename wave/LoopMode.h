// The playback modes 0 (forward) and 256 (backward) play once; every other
// mode word plays a loop. Only in a loop mode do the loop markers, the loop
// commands and the loop panels of the status bar exist.
#pragma once

#include <cstdint>

#include "eps/Eps.h"

inline bool IsLoopMode(std::int32_t mode) {
    return mode != 0 && mode != 256;
}

inline bool IsLoopMode(const TEps& eps) {
    return IsLoopMode(eps.WaveSampleParameters[wpPlaybackMode]);
}
