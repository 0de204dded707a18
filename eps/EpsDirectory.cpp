// The directory of the sampler's instruments, and renaming them.
#include <string>

#include "debug/DebugDevice.h"
#include "eps/Eps.h"
#include "eps/Names.h"

bool TEps::ReadConfiguration() {
    TBusy busy(*this);
    const int current = Instrument;
    DebugWriteLn(DebugDevice, "## READ CFG ##  Queue=" + std::to_string(MidiIn->InputCount()));
    InstrumentPresent.fill(false);
    InstrumentName.fill("");
    for (auto& slots : WaveSampleUsed) {
        slots.fill(false);
    }
    FirstFreeWaveSample.fill(0);
    UnreadInstrument = -1;
    for (int i = 0; i < InstrumentCount && UnreadInstrument < 0; ++i) {
        Instrument = i;
        const TReplyResult reply = FetchInstrumentParameters();
        if (reply == rrInstrumentParameters) {
            ReadInstrumentEntry(i);
        } else if (reply != rrNoInstrument) {
            DebugWriteLn(DebugDevice, "Instrument " + std::to_string(i + 1) + " not read");
            UnreadInstrument = i;
            UnreadReply = reply;
        }
    }
    Instrument = current;
    if (UnreadInstrument >= 0) {
        // The rest of a reply that could not be read must not be taken for
        // the answer to the next request.
        SettleInput();
    }
    return UnreadInstrument < 0;
}

// From the block just read into InstrumentParameters.
void TEps::ReadInstrumentEntry(int instrument) {
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
    const bool renamed = ForInstrument(instrument, [&] { return WriteInstrumentName(name); });
    DebugWriteLn(DebugDevice, renamed ? "1" : "0");
    return renamed;
}

// Everything but the name goes back to the sampler as it came. The
// directory takes the block as written, so that an instrument just made and
// named, by an upload for one, is known by its name without reading every
// instrument again.
bool TEps::WriteInstrumentName(std::string_view name) {
    if (FetchInstrumentParameters() != rrInstrumentParameters) {
        return false;
    }
    EncodeName(std::span<std::int32_t, NameWords>(InstrumentParameters.begin(), NameWords), name);
    if (SendInstrumentParameters() != wrWritten) {
        return false;
    }
    ReadInstrumentEntry(Instrument);
    return true;
}

void TEps::LookUpInstrument(int instrument) {
    const auto index = static_cast<std::size_t>(instrument);
    if (!InstrumentPresent[index] && ReadInstrument(instrument) == rrInstrumentParameters) {
        ReadInstrumentEntry(instrument);
    }
}

TReplyResult TEps::ReadInstrument(int instrument) {
    return ForInstrument(instrument, [&] { return FetchInstrumentParameters(); });
}

TWriteResult TEps::WriteInstrument(int instrument) {
    return ForInstrument(instrument, [&] { return SendInstrumentParameters(); });
}

// Nothing of an earlier exchange may be taken for this answer, and nothing
// of an answer that could not be read for the next one.
TReplyResult TEps::ReadWaveSampleBlock(int instrument, int waveSample) {
    return ForInstrument(instrument, [&] {
        const int current = WaveSample;
        WaveSample = waveSample;
        MidiIn->ClearInput();
        GetWaveSampleParameters();
        TReplyResult reply = ProcessInput();
        if (reply == rrAck) {
            reply = ProcessInput();
        }
        WaveSample = current;
        if (reply != rrWaveSampleParameters) {
            SettleInput();
        }
        return reply;
    });
}

TReplyResult TEps::FetchInstrumentParameters() {
    GetInstrumentParameters();
    const TReplyResult reply = ProcessInput();
    return reply == rrAck ? ProcessInput() : reply;
}

TWriteResult TEps::SendInstrumentParameters() {
    return SendParameterBlock(&TEps::SendInstrumentParametersHeader,
                              &TEps::SendInstrumentParameterData);
}
