// One instrument slot's contents: its 323-word parameter block and layer 0
// with up to 127 wavesamples. The block marks every used wavesample slot with
// a non-zero pair of words, which is how an editor finds the wavesamples.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "emulator/WaveSample.h"

class TInstrument {
public:
    static constexpr std::size_t ParameterCount = 323;
    static constexpr int SlotCount = 127;
    using TParameters = std::array<std::uint16_t, ParameterCount>;

    // An instrument as CreateInstrument makes it: a name, no layer yet.
    TInstrument();

    const TParameters& Parameters() const { return Block; }
    // Takes a whole block written by an editor. The slot words are kept true
    // to the wavesamples actually there, so a stray write cannot hide one.
    void SetParameters(const TParameters& block);
    void SetName(const std::string& name);

    bool HasLayer() const { return LayerPresent; }
    void CreateLayer() { LayerPresent = true; }

    // Wavesample number n is 1..127; null for a free or invalid slot.
    TWaveSample* WaveSample(int n);
    const TWaveSample* WaveSample(int n) const;
    // The lowest free wavesample number, 0 when all slots are used.
    int FirstFreeNumber() const;
    // Puts a wavesample into slot n (1..127), replacing what was there.
    TWaveSample& Place(int n, TWaveSample waveSample);

    bool operator==(const TInstrument&) const = default;

private:
    void MarkSlot(int n);

    TParameters Block{};
    bool LayerPresent = false;
    std::array<std::optional<TWaveSample>, SlotCount> Slots;
};
