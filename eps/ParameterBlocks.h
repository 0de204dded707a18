// The sampler's two parameter blocks as the engine keeps them: one 16-bit
// parameter word per 32-bit slot, most values in the word's high byte.
#pragma once

#include <array>
#include <cstdint>

#include "eps/SampleRange.h"

constexpr int WaveSampleWords = 139;
constexpr int InstrumentWords = 323;
constexpr int NameWords = 12;

using TWaveSampleBlock = std::array<std::int32_t, WaveSampleWords>;
using TInstrumentBlock = std::array<std::int32_t, InstrumentWords>;

// The wavesample words the program interprets; all others pass through as
// they came from the sampler.
enum TWaveSampleWord : int {
    wpCopyOf = 12, // 0, or the wavesample this one is a parameters-only copy of
    wpRootKey = 80,
    wpPlaybackMode = 114, // 0 and 1 play without a loop
    wpSampleStart = 115,  // the four sample addresses take four words each
    wpSampleEnd = 119,    // index of the last sample
    wpLoopStart = 123,
    wpLoopEnd = 127,
    wpSamplingPeriod = 131, // in 1.6 microsecond ticks
    wpLowKey = 132,
    wpHighKey = 133,
};

// For wavesample slot j (0..126) of an instrument, the two words
// InstrumentSlotWord + 2j and the one after it are 0 when the slot is free.
constexpr int InstrumentSlotWord = 63;
constexpr int InstrumentSlots = 127;

// Bits 15..8 of a parameter word.
constexpr std::uint8_t HighByte(std::int32_t word) {
    return static_cast<std::uint8_t>((static_cast<std::uint32_t>(word) >> 8) & 0xFF);
}

// A sample index from the four address words of a block starting at first
// (wpSampleStart, wpSampleEnd, wpLoopStart or wpLoopEnd).
std::int32_t SampleAddressOf(const TWaveSampleBlock& words, int first);
void SetSampleAddressOf(TWaveSampleBlock& words, int first, std::int32_t sample);
// The samples a block plays, from its start through its end address. A
// block whose start and end are both 0 holds none: that is how a new
// wavesample comes, before any sample was given to it.
TSampleRange SampleRangeOf(const TWaveSampleBlock& words);
void SetSampleRangeOf(TWaveSampleBlock& words, const TSampleRange& range);
// The samples of a block's loop, from its loop start through its loop end.
TSampleRange LoopRangeOf(const TWaveSampleBlock& words);
void SetLoopRangeOf(TWaveSampleBlock& words, const TSampleRange& range);
// The memory a block's addresses reach: from address 0 through the later of
// its end and loop end; none when both are 0, as in a new wavesample. What
// lies before the start marker or behind the end is still the wavesample's
// own and comes back when a marker moves out.
TSampleRange MemoryRangeOf(const TWaveSampleBlock& words);
// How many samples a block plays; 0 when the end lies before the start.
std::int32_t SampleCountOf(const TWaveSampleBlock& words);
// The key that plays a block's samples at their own pitch: its root key,
// kept inside its key range.
int PlayKeyOf(const TWaveSampleBlock& words);

// What a new wavesample holds: named "UNNAMED WS", root key 60, keys 21..108,
// no loop, all addresses 0, period 21 (about 29762 Hz).
extern const TWaveSampleBlock DefaultWaveSampleParameters;
