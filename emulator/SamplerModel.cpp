#include "emulator/SamplerModel.h"

const char* TSamplerModel::KindName(TSamplerKind kind) {
    switch (kind) {
    case TSamplerKind::Eps:
        return "EPS";
    case TSamplerKind::Asr:
        return "ASR";
    case TSamplerKind::Eps16Plus:
        break;
    }
    return "EPS-16 Plus";
}

std::size_t TSamplerModel::MemoryWords(TSamplerKind kind) {
    constexpr std::size_t K = 1024;
    switch (kind) {
    case TSamplerKind::Eps:
        return 256 * K;
    case TSamplerKind::Asr:
        return 8 * K * K;
    case TSamplerKind::Eps16Plus:
        break;
    }
    return K * K;
}

std::size_t TSamplerModel::UsedWords() const {
    std::size_t used = 0;
    for (const auto& instrument : Instruments) {
        for (int n = 1; instrument && n <= TInstrument::SlotCount; ++n) {
            if (const TWaveSample* waveSample = instrument->WaveSample(n)) {
                used += waveSample->Data.size();
            }
        }
    }
    return used;
}

bool TSamplerModel::CanGrow(const TWaveSample& waveSample, std::size_t size) const {
    const std::size_t have = waveSample.Data.size();
    return size <= have || UsedWords() + (size - have) <= MemoryWords();
}

TInstrument* TSamplerModel::Instrument(int i) {
    return i >= 0 && i < InstrumentCount && Instruments[i] ? &*Instruments[i] : nullptr;
}

const TInstrument* TSamplerModel::Instrument(int i) const {
    return i >= 0 && i < InstrumentCount && Instruments[i] ? &*Instruments[i] : nullptr;
}

TInstrument& TSamplerModel::CreateInstrument(int i) {
    if (!Instruments[i]) {
        Instruments[i].emplace();
    }
    return *Instruments[i];
}

void TSamplerModel::Clear() {
    for (auto& instrument : Instruments) {
        instrument.reset();
    }
}

TResponseCode TSamplerModel::Find(int instrument, int layer, int waveSample, TWaveSample*& found) {
    found = nullptr;
    TInstrument* slot = Instrument(instrument);
    if (slot == nullptr) {
        return TResponseCode::NoInstrument;
    }
    if (layer != 0 || !slot->HasLayer()) {
        return TResponseCode::NoLayer;
    }
    found = slot->WaveSample(waveSample);
    return found != nullptr ? TResponseCode::Ack : TResponseCode::InvalidWaveSample;
}
