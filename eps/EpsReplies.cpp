// Reading the sampler's replies: one call of ProcessInput classifies one
// reply, acknowledging and storing the data a reply carries.
#include <optional>
#include <string>

#include "debug/DebugDevice.h"
#include "eps/Eps.h"
#include "eps/WireFormat.h"

namespace {

enum TMessageCode : std::uint8_t {
    mcResponse = 1,
    mcInstrumentParameters = 12,
    mcWaveSampleParameters = 14,
    mcWaveSampleData = 15,
    mcOverview = 19,
};

// The download steps in which the parser takes a data header, and then the
// data message it announced.
constexpr int DownloadHeaderState = 6;
constexpr int DownloadDataState = 8;

void Trace(std::string_view text) {
    TDebugDevice::Write(text);
}
void TraceLine(std::string_view text) {
    DebugWriteLn(DebugDevice, text);
}
void TraceLine(std::string_view text, std::int64_t number) {
    TraceLine(std::string(text) + std::to_string(number));
}

} // namespace

// Any reply shows that what was sent before it has arrived. A reply that did
// not come in time may still come, and one cut short may still bring its
// rest.
TReplyResult TEps::ProcessInput() {
    const TReplyResult result = ReadReply();
    if (!IsUnanswered(result)) {
        MidiOut->Delivered();
    }
    if (MidiIn->TimedOut() || result == rrNothingAfterWait) {
        ExchangeGivenUp();
    }
    return result;
}

TReplyResult TEps::ReadReply() {
    Trace("Proc.Inp ");
    // A wait response makes this call listen on for the real answer, for as
    // long as the sampler keeps sending them up to the reply limit.
    const auto giveUp = std::chrono::steady_clock::now() + ReplyTimeLimit;
    bool waited = false;
    for (;;) {
        if (!ExpectHeader()) {
            TraceLine("nothing...");
            return waited ? rrNothingAfterWait : rrNothing;
        }
        if (DownloadState == DownloadDataState) {
            return ReadDownloadData();
        }
        std::uint8_t code = 0;
        if (!MidiIn->ReadByte(code)) {
            return rrFailed;
        }
        switch (code) {
        case mcResponse:
            if (const std::optional<TReplyResult> result = ReadResponse()) {
                return *result;
            }
            waited = true;
            if (std::chrono::steady_clock::now() >= giveUp) {
                return rrNothingAfterWait;
            }
            break;
        case mcInstrumentParameters:
            return ReadInstrumentParameters();
        case mcWaveSampleParameters:
            return ReadWaveSampleParameters();
        case mcWaveSampleData:
            return ReadWaveSampleData();
        case mcOverview:
            return ReadOverview();
        default:
            // The rest of the message stays in the ring.
            TraceLine("Unknown EPS data");
            return rrFailed;
        }
    }
}

// A pass that heard nothing at once met a message for someone else and
// listens on; one that waited out the byte time-out met silence.
TReplyResult TEps::WaitForReply() {
    TBusy busy(*this);
    const auto giveUp = std::chrono::steady_clock::now() + ReplyTimeLimit;
    for (;;) {
        const TReplyResult result = ProcessInput();
        if (!IsUnanswered(result) || MidiIn->TimedOut() || !MidiIn->StillWaiting() ||
            std::chrono::steady_clock::now() >= giveUp) {
            return result;
        }
    }
}

bool TEps::ExpectHeader() {
    Trace("(");
    for (std::uint8_t byte : FrameHeader(MidiOut->Channel())) {
        if (!MidiIn->ExpectByte(byte)) {
            return false;
        }
    }
    Trace("p) ");
    return true;
}

bool TEps::ReadWord12(std::int32_t& value) {
    std::uint8_t b1 = 0;
    std::uint8_t b2 = 0;
    if (!MidiIn->ReadByte(b1) || !MidiIn->ReadByte(b2)) {
        return false;
    }
    value = Word12Value(b1, b2);
    return true;
}

bool TEps::ReadWord16(std::int32_t& value) {
    std::uint8_t b1 = 0;
    std::uint8_t b2 = 0;
    std::uint8_t b3 = 0;
    if (!MidiIn->ReadByte(b1) || !MidiIn->ReadByte(b2) || !MidiIn->ReadByte(b3)) {
        return false;
    }
    value = Word16Value(b1, b2, b3);
    return true;
}

bool TEps::ReadWord24(std::int32_t& value) {
    std::int32_t high = 0;
    std::int32_t low = 0;
    if (!ReadWord12(high) || !ReadWord12(low)) {
        return false;
    }
    value = Word24Value(high, low);
    return true;
}

bool TEps::ExpectWord12(std::int32_t value) {
    std::int32_t word = 0;
    return ReadWord12(word) && word == value;
}

// Empty while the sampler asks the parser to keep listening.
std::optional<TReplyResult> TEps::ReadResponse() {
    Trace("Response : ");
    std::uint8_t code = 0;
    if (!MidiIn->ExpectByte(0x00) || !MidiIn->ReadByte(code) || !MidiIn->ExpectByte(SysExEnd)) {
        return rrFailed;
    }
    TraceLine("", code);
    switch (code) {
    case 0:
        return rrAck;
    case 1:
        return std::nullopt;
    case 5:
        return rrNoInstrument;
    case 6:
        return rrNoLayer;
    case 8:
        // The upload answers this refusal by creating the wavesample.
        if (UploadState == 0) {
            ShowWarning("Invalid Wavesample", mcDefault);
        }
        return rrInvalidWaveSample;
    case 10:
        return rrFailed;
    case 17:
        ShowWarning("WaveSample is a Copy", mcEmpty);
        return rrFailed;
    case 20:
        return rrSlowDown;
    case 23:
        return rrRefused23;
    default:
        TraceLine("unknown response");
        return rrUnknownResponse;
    }
}

TReplyResult TEps::ReadInstrumentParameters() {
    Trace("Instrument parameters -> ");
    std::int32_t unused = 0;
    if (!ExpectWord12(Instrument) || !ReadWord12(unused) || !ReadWord12(unused) ||
        !MidiIn->ExpectByte(SysExEnd)) {
        return rrFailed;
    }
    return ReadDataPart(InstrumentParameters, dkParameters) ? rrInstrumentParameters : rrFailed;
}

TReplyResult TEps::ReadWaveSampleParameters() {
    Trace("WaveSample Pars -> ");
    if (!ReadAddress() || !MidiIn->ExpectByte(SysExEnd)) {
        return rrFailed;
    }
    return ReadDataPart(WaveSampleParameters, dkParameters) ? rrWaveSampleParameters : rrFailed;
}

TReplyResult TEps::ReadWaveSampleData() {
    Trace("WaveSample Data -> ");
    if (DownloadState == DownloadHeaderState) {
        return ReadDataHeader();
    }
    return ReadViewHeader() && ReadDataPart(ViewPoints, dkView) ? rrData : rrFailed;
}

TReplyResult TEps::ReadOverview() {
    Trace("WaveSample Overview -> ");
    return ReadViewHeader() && ReadDataPart(ViewPoints, dkView) ? rrOverview : rrFailed;
}

// The data of a download block is left in the ring for the call in the next
// download step.
TReplyResult TEps::ReadDataHeader() {
    if (!ReadAddress() || !ReadWord24(DataStart) || !ReadWord24(DataEnd) ||
        !MidiIn->ExpectByte(SysExEnd)) {
        return rrFailed;
    }
    // Unacknowledged, another block is never sent: its samples would be
    // written where the asked-for ones belong, or a shorter one awaited for
    // ever.
    if (DataStart != RequestedStart || DataEnd != RequestedEnd) {
        TraceLine("Unexpected block :" + std::to_string(DataStart) + ".." +
                  std::to_string(DataEnd));
        return rrUnexpectedBlock;
    }
    // Unacknowledged, a block that would not fit is never sent.
    if (!AnnouncedBlockFits()) {
        return rrFailed;
    }
    TraceLine("Sending ack");
    AcknowledgeData(DataEnd - DataStart);
    return rrDataHeader;
}

// The layer is not compared: only layer 0 is ever asked for.
bool TEps::ReadAddress() {
    std::int32_t layer = 0;
    return ExpectWord12(Instrument) && ReadWord12(layer) && ExpectWord12(WaveSample);
}

// The range a view reply repeats is the one asked for, so it is not kept.
bool TEps::ReadViewHeader() {
    std::int32_t start = 0;
    std::int32_t end = 0;
    return ReadAddress() && ReadWord24(start) && ReadWord24(end) && MidiIn->ExpectByte(SysExEnd);
}

// The input may look quiet until the whole data message has come: it takes
// its time on the cable once the acknowledgement has.
void TEps::AcknowledgeData(std::size_t words) {
    SendAck();
    const std::size_t bytes = FrameHeader(1).size() + words * Word16Bytes(0).size() + 1;
    DataDue = MidiOut->CarriedBy() +
              static_cast<std::chrono::microseconds::rep>(bytes) * TMidiOut::ByteTime;
}

// The sampler sends the data message announced by a good header only after
// it has been acknowledged.
bool TEps::ReadDataPart(std::span<std::int32_t> destination, TDataKind kind) {
    Trace("Ack -> ");
    AcknowledgeData(destination.size());
    if (!ExpectHeader()) {
        return false;
    }
    for (std::size_t i = 0; i < destination.size(); ++i) {
        std::int32_t word = 0;
        if (!ReadWord16(word)) {
            if (kind == dkParameters) {
                TraceLine("Stopped at : ", static_cast<std::int64_t>(i));
            }
            return false;
        }
        // Display values are samples: the low 16 bits in two's complement.
        destination[i] = kind == dkView ? static_cast<std::int16_t>(word & 0xFFFF) : word;
    }
    if (!MidiIn->ExpectByte(SysExEnd)) {
        return false;
    }
    DataDue = {};
    TraceLine("Done.");
    return true;
}

TReplyResult TEps::ReadDownloadData() {
    Trace("Reading download data.. ");
    TraceLine("", MidiIn->InputCount());
    TraceLine("", DataStart);
    TraceLine("", DataEnd);
    TraceLine("", std::int64_t{DataEnd} - DataStart);
    if (!AnnouncedBlockFits()) {
        return rrFailed;
    }
    for (std::int32_t i = 0; i < DataEnd - DataStart; ++i) {
        if (!ReadWord16(TransferBuffer[static_cast<std::size_t>(i)])) {
            TraceLine("stopped at :", i);
            return rrFailed;
        }
    }
    std::uint8_t end = 0;
    if (!MidiIn->ReadByte(end)) {
        return rrFailed;
    }
    if (end != SysExEnd) {
        TraceLine("No EOX :", end);
        return rrFailed;
    }
    DataDue = {};
    TraceLine("Ok");
    return rrData;
}

bool TEps::AnnouncedBlockFits() const {
    const std::int64_t words = std::int64_t{DataEnd} - DataStart;
    if (words >= 0 && words <= TransferBufferWords) {
        return true;
    }
    TraceLine("Block does not fit :", words);
    return false;
}

void TEps::ReportUnanswered() {
    if (!Cancelled()) {
        ShowWarning("The EPS/ASR did not answer.\n\nPlease check the Midi cabling, the Midi "
                    "devices and the Channel in the Preferences dialog, and that the EPS/ASR is "
                    "switched on.",
                    mcDefault);
    }
}

bool TEps::AskEditWithoutUndo() {
    return Dialogs != nullptr && Dialogs->AskEditWithoutUndo();
}

void TEps::ShowWarning(std::string_view text, TMessageCaption caption) {
    if (Dialogs != nullptr) {
        Dialogs->ShowWarning(text, caption);
    }
}
