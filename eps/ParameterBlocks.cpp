#include "eps/ParameterBlocks.h"

#include <algorithm>
#include <cassert>

const TWaveSampleBlock DefaultWaveSampleParameters = {
    0x5500, 0x4E00, 0x4E00, 0x4100, 0x4D00, 0x4500, 0x4400, 0x2000, 0x5700, 0x5300, // 0
    0x2000, 0x2000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0A00, 0x6400, 0x7F00, // 10
    0x4000, 0x5A00, 0x6400, 0x3400, 0x5000, 0x5500, 0x2800, 0x4000, 0x5000, 0x1E00, // 20
    0x0000, 0x8000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x4000, 0x7F00, 0x0A00, // 30
    0x4000, 0x7F00, 0x4000, 0x3C00, 0x6400, 0x3400, 0x3700, 0x5500, 0x2800, 0x3200, // 40
    0x5000, 0x1E00, 0x0000, 0x8100, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x4000, // 50
    0x7F00, 0x0000, 0x4000, 0x7F00, 0x4000, 0x4000, 0x7F00, 0x3400, 0x4000, 0x7F00, // 60
    0x2800, 0x4000, 0x7F00, 0x1400, 0x0000, 0x8100, 0x0000, 0x0000, 0x0000, 0x0000, // 70
    0x3C00, 0x0000, 0x0800, 0x0000, 0x0D00, 0x0300, 0x0000, 0x0000, 0x0300, 0x7F00, // 80
    0x7F00, 0x0A00, 0x0A00, 0x0000, 0x0000, 0x0D00, 0x0D00, 0x0000, 0x0000, 0x7F00, // 90
    0x0D00, 0x0000, 0x7F00, 0x7F00, 0x7F00, 0x0300, 0x0000, 0x0000, 0x2800, 0x0000, // 100
    0x287F, 0x0A0D, 0x0000, 0x1400, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, // 110
    0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, // 120
    0x0000, 0x1500, 0x1500, 0x6C00, 0x0D00, 0x0000, 0x0600, 0x0000, 0x0000,         // 130
};

// An address is a 32-bit big-endian number in the high bytes of four words;
// its low 9 bits are a fraction of a sample.
std::int32_t SampleAddressOf(const TWaveSampleBlock& words, int first) {
    assert(first >= 0 && first + 3 < WaveSampleWords);
    std::uint32_t address = 0;
    for (int i = first; i < first + 4; ++i) {
        address = address << 8 | HighByte(words[i]);
    }
    return static_cast<std::int32_t>(address >> 9);
}

void SetSampleAddressOf(TWaveSampleBlock& words, int first, std::int32_t sample) {
    assert(first >= 0 && first + 3 < WaveSampleWords);
    const std::uint32_t address = static_cast<std::uint32_t>(sample) << 9;
    words[first] = static_cast<std::int32_t>((address >> 24 & 0xFF) << 8);
    words[first + 1] = static_cast<std::int32_t>((address >> 16 & 0xFF) << 8);
    words[first + 2] = static_cast<std::int32_t>(address & 0xFF00);
    words[first + 3] = 0;
}

TSampleRange SampleRangeOf(const TWaveSampleBlock& words) {
    const TSampleRange range{SampleAddressOf(words, wpSampleStart),
                             SampleAddressOf(words, wpSampleEnd)};
    return range.Last == 0 && range.First == 0 ? TSampleRange{} : range;
}

void SetSampleRangeOf(TWaveSampleBlock& words, const TSampleRange& range) {
    SetSampleAddressOf(words, wpSampleStart, range.First);
    SetSampleAddressOf(words, wpSampleEnd, range.Last);
}

TSampleRange LoopRangeOf(const TWaveSampleBlock& words) {
    return {SampleAddressOf(words, wpLoopStart), SampleAddressOf(words, wpLoopEnd)};
}

void SetLoopRangeOf(TWaveSampleBlock& words, const TSampleRange& range) {
    SetSampleAddressOf(words, wpLoopStart, range.First);
    SetSampleAddressOf(words, wpLoopEnd, range.Last);
}

TSampleRange MemoryRangeOf(const TWaveSampleBlock& words) {
    const std::int32_t last =
        std::max(SampleAddressOf(words, wpSampleEnd), SampleAddressOf(words, wpLoopEnd));
    return last == 0 ? TSampleRange{} : TSampleRange{0, last};
}

std::int32_t SampleCountOf(const TWaveSampleBlock& words) {
    return SampleRangeOf(words).Count();
}

int PlayKeyOf(const TWaveSampleBlock& words) {
    const int key = std::min<int>(HighByte(words[wpRootKey]), HighByte(words[wpHighKey]));
    return std::max<int>(key, HighByte(words[wpLowKey]));
}
