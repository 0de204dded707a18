#include "emulator/Instrument.h"

#include "emulator/SamplerName.h"

namespace {

// Where the pair of words of wavesample number n starts.
constexpr std::size_t SlotWord(int n) {
    return 63 + 2 * static_cast<std::size_t>(n - 1);
}

bool ValidNumber(int n) {
    return n >= 1 && n <= TInstrument::SlotCount;
}

} // namespace

TInstrument::TInstrument() {
    SetName("UNNAMED INST");
}

void TInstrument::SetParameters(const TParameters& block) {
    Block = block;
    for (int n = 1; n <= SlotCount; ++n) {
        MarkSlot(n);
    }
}

void TInstrument::SetName(const std::string& name) {
    TSamplerName::Encode(name, Block.data());
}

TWaveSample* TInstrument::WaveSample(int n) {
    return ValidNumber(n) && Slots[n - 1] ? &*Slots[n - 1] : nullptr;
}

const TWaveSample* TInstrument::WaveSample(int n) const {
    return ValidNumber(n) && Slots[n - 1] ? &*Slots[n - 1] : nullptr;
}

int TInstrument::FirstFreeNumber() const {
    for (int n = 1; n <= SlotCount; ++n) {
        if (!Slots[n - 1]) {
            return n;
        }
    }
    return 0;
}

TWaveSample& TInstrument::Place(int n, TWaveSample waveSample) {
    Slots[n - 1] = std::move(waveSample);
    MarkSlot(n);
    return *Slots[n - 1];
}

// A used slot shows its number in the first word of its pair; a free slot
// shows two zero words.
void TInstrument::MarkSlot(int n) {
    const std::size_t word = SlotWord(n);
    if (!Slots[n - 1]) {
        Block[word] = 0;
        Block[word + 1] = 0;
    } else if (Block[word] == 0 && Block[word + 1] == 0) {
        Block[word] = static_cast<std::uint16_t>(n << 8);
    }
}
