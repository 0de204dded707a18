// The directory of the sampler's instruments, and renaming them.
#include <string>

#include "debug/DebugDevice.h"
#include "eps/Eps.h"
#include "eps/Names.h"

bool TEps::ReadConfiguration() {
    TBusy busy(Owner);
    const int current = Instrument;
    DebugWriteLn(DebugDevice, "## READ CFG ##  Queue=" + std::to_string(MidiIn->InputCount()));
    InstrumentPresent.fill(false);
    InstrumentName.fill("");
    for (auto& slots : WaveSampleUsed) {
        slots.fill(false);
    }
    FirstFreeWaveSample.fill(0);
    for (int i = 0; i < InstrumentCount; ++i) {
        Instrument = i;
        ReadInstrumentEntry(i);
    }
    Instrument = current;
    return true;
}

// An instrument that is not loaded refuses (or does not answer) and stays
// absent with all its slots free.
void TEps::ReadInstrumentEntry(int instrument) {
    if (!FetchInstrumentParameters()) {
        return;
    }
    const auto index = static_cast<std::size_t>(instrument);
    InstrumentPresent[index] = true;
    InstrumentName[index] = DecodeName(
        std::span<const std::int32_t, NameWords>(InstrumentParameters.begin(), NameWords));
    DebugWriteLn(DebugDevice, "[" + InstrumentName[index] + "]");
    bool freeFound = false;
    for (int j = 0; j < InstrumentSlots; ++j) {
        const int word = InstrumentSlotWord + 2 * j;
        const bool used = InstrumentParameters[word] != 0 || InstrumentParameters[word + 1] != 0;
        WaveSampleUsed[index][j] = used;
        if (!used && !freeFound) {
            FirstFreeWaveSample[index] = j;
            freeFound = true;
        }
    }
}

bool TEps::RenameInstrument(int instrument, std::string_view name) {
    DebugWriteLn(DebugDevice, "Start of rename");
    TBusy busy(Owner);
    const int current = Instrument;
    Instrument = instrument;
    const bool renamed = WriteInstrumentName(name);
    DebugWriteLn(DebugDevice, renamed ? "1" : "0");
    Instrument = current;
    return renamed;
}

// Everything but the name goes back to the sampler as it came.
bool TEps::WriteInstrumentName(std::string_view name) {
    if (!FetchInstrumentParameters()) {
        return false;
    }
    EncodeName(std::span<std::int32_t, NameWords>(InstrumentParameters.begin(), NameWords), name);
    SendInstrumentParametersHeader();
    if (ProcessInput() != rrAck) {
        return false;
    }
    SendInstrumentParameterData();
    return ProcessInput() == rrAck;
}

bool TEps::FetchInstrumentParameters() {
    GetInstrumentParameters();
    return ProcessInput() == rrAck && ProcessInput() == rrInstrumentParameters;
}
