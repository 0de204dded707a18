// One wavesample in the sampler's memory: its 139-word parameter block and
// its sample data. The data may reach past the end address: the editor keeps
// a work area there.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TWaveSample {
public:
    static constexpr std::size_t ParameterCount = 139;
    using TParameters = std::array<std::uint16_t, ParameterCount>;

    // Words of the block that the sampler itself interprets.
    static constexpr std::size_t CopyOfWord = 12;
    static constexpr std::size_t RootKeyWord = 80;
    static constexpr std::size_t PlaybackModeWord = 114;
    static constexpr std::size_t StartWord = 115;
    static constexpr std::size_t EndWord = 119;
    static constexpr std::size_t LoopStartWord = 123;
    static constexpr std::size_t LoopEndWord = 127;
    static constexpr std::size_t PeriodWord = 131;
    static constexpr std::size_t LowKeyWord = 132;
    static constexpr std::size_t HighKeyWord = 133;

    // A new wavesample: the sampler's default block, no data.
    TWaveSample();

    static const TParameters& DefaultParameters();

    TParameters Parameters;
    std::vector<std::int16_t> Data;

    // Number of the wavesample this one is a parameters-only copy of; 0 when
    // it has data of its own.
    int CopyOf() const { return Parameters[CopyOfWord] >> 8; }
    bool IsCopy() const { return CopyOf() != 0; }

    // A sample address: the high bytes of four words, first word first, form
    // a 32-bit number whose low 9 bits are a fraction.
    std::uint32_t Address(std::size_t firstWord) const;
    void SetAddress(std::size_t firstWord, std::uint32_t index);

    // High byte of a word, where most parameters keep their value.
    int High(std::size_t word) const { return Parameters[word] >> 8; }
    void SetHigh(std::size_t word, int value);

    bool operator==(const TWaveSample&) const = default;
};
