#include "emulator/WaveSample.h"

#include <algorithm>

#include "eps/ParameterBlocks.h"

TWaveSample::TWaveSample() : Parameters(DefaultParameters()) {}

// The same block the editor loads into a new wavesample.
const TWaveSample::TParameters& TWaveSample::DefaultParameters() {
    static const TParameters defaults = [] {
        TParameters words{};
        std::copy(DefaultWaveSampleParameters.begin(), DefaultWaveSampleParameters.end(),
                  words.begin());
        return words;
    }();
    return defaults;
}

std::uint32_t TWaveSample::Address(std::size_t firstWord) const {
    std::uint32_t packed = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        packed = (packed << 8) | static_cast<std::uint32_t>(High(firstWord + i));
    }
    return packed >> 9;
}

void TWaveSample::SetAddress(std::size_t firstWord, std::uint32_t index) {
    const std::uint32_t packed = index << 9;
    for (std::size_t i = 0; i < 4; ++i) {
        SetHigh(firstWord + i, static_cast<int>((packed >> (24 - 8 * i)) & 0xFF));
    }
}

void TWaveSample::SetHigh(std::size_t word, int value) {
    Parameters[word] = static_cast<std::uint16_t>((value & 0xFF) << 8);
}
