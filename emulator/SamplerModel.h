// The sampler's memory: eight instrument slots and the sample memory they
// share, whose size depends on the model.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include "emulator/Instrument.h"
#include "emulator/ResponseCode.h"

enum class TSamplerKind { Eps, Eps16Plus, Asr };

class TSamplerModel {
public:
    static constexpr int InstrumentCount = 8;

    explicit TSamplerModel(TSamplerKind kind = TSamplerKind::Eps16Plus) : SamplerKind(kind) {}

    TSamplerKind Kind() const { return SamplerKind; }
    static const char* KindName(TSamplerKind kind);
    // Sample memory in words.
    static std::size_t MemoryWords(TSamplerKind kind);
    std::size_t MemoryWords() const { return MemoryWords(SamplerKind); }
    std::size_t UsedWords() const;
    // Whether a wavesample's data may grow to size words.
    bool CanGrow(const TWaveSample& waveSample, std::size_t size) const;

    // Instrument i is 0..7; null for an empty slot or an invalid number.
    TInstrument* Instrument(int i);
    const TInstrument* Instrument(int i) const;
    // The instrument in slot i, made if the slot is empty (i must be valid).
    TInstrument& CreateInstrument(int i);
    void Clear();

    // Looks up a wavesample by its address on the wire: Ack with found set,
    // or the refusal that names what is missing.
    TResponseCode Find(int instrument, int layer, int waveSample, TWaveSample*& found);

    bool operator==(const TSamplerModel&) const = default;

private:
    TSamplerKind SamplerKind;
    std::array<std::optional<TInstrument>, InstrumentCount> Instruments;
};
