// Building the messages the engine sends.
#include "eps/Eps.h"
#include "eps/WireFormat.h"

namespace {

enum TRequestCode : std::uint8_t {
    rcAck = 0x01,
    rcGetInstrumentParameters = 0x03,
    rcGetWaveSampleParameters = 0x05,
    rcGetWaveSampleData = 0x06,
    rcGetWaveSampleOverview = 0x0A,
    rcPutInstrumentParameters = 0x0C,
    rcPutWaveSampleParameters = 0x0E,
    rcPutWaveSampleData = 0x0F,
    rcCreateInstrument = 0x15,
    rcCreateLayer = 0x16,
    rcCreateWaveSample = 0x19,
    rcClose = 0x1E,
    rcClearData = 0x1F,
    rcCopyData = 0x20,
    rcScaleData = 0x22,
    rcReverseData = 0x24,
    rcFadeIn = 0x27,
    rcFadeOut = 0x28,
    rcProbe = 0x40,
    rcNormalizeGain = 0x41,
};

constexpr std::uint8_t NoteVelocity = 121;

} // namespace

void TEps::SendByte(std::uint8_t byte) {
    MidiOut->PutSysExByte(byte);
}

void TEps::SendHeader() {
    for (std::uint8_t byte : FrameHeader(MidiOut->Channel())) {
        SendByte(byte);
    }
}

void TEps::SendWord12(std::uint32_t value) {
    for (std::uint8_t byte : Word12Bytes(value)) {
        SendByte(byte);
    }
}

void TEps::SendWord16(std::uint32_t value) {
    for (std::uint8_t byte : Word16Bytes(value)) {
        SendByte(byte);
    }
}

void TEps::SendWord24(std::uint32_t value) {
    for (std::uint8_t byte : Word24Bytes(value)) {
        SendByte(byte);
    }
}

void TEps::SendEnd() {
    SendByte(SysExEnd);
}

void TEps::SendRequest(std::uint8_t code) {
    SettleOwedAnswer();
    SendHeader();
    SendByte(code);
}

// Only layer 0 is ever edited.
void TEps::SendAddressOf(int waveSample) {
    SendWord12(static_cast<std::uint32_t>(Instrument));
    SendWord12(0);
    SendWord12(static_cast<std::uint32_t>(waveSample));
}

void TEps::SendAddress() {
    SendAddressOf(WaveSample);
}

void TEps::SendRange(std::int32_t start, std::int32_t end) {
    SendWord24(static_cast<std::uint32_t>(start));
    SendWord24(static_cast<std::uint32_t>(end));
}

void TEps::SendAddressRequest(std::uint8_t code) {
    SendRequest(code);
    SendAddress();
    SendEnd();
}

// What is created is always wavesample 1 of the current instrument.
void TEps::SendCreateRequest(std::uint8_t code) {
    SendRequest(code);
    SendAddressOf(1);
    SendEnd();
}

void TEps::StartRangeRequest(std::uint8_t code, std::int32_t start, std::int32_t end) {
    SendRequest(code);
    SendAddress();
    SendRange(start, end);
}

void TEps::SendRangeRequest(std::uint8_t code, std::int32_t start, std::int32_t end) {
    StartRangeRequest(code, start, end);
    SendEnd();
}

void TEps::SendFade(std::uint8_t code, std::int32_t start, std::int32_t end, int shape) {
    StartRangeRequest(code, start, end);
    SendByte(0x00);
    // A raw byte: anything above 7 bits would end the message early.
    SendByte(static_cast<std::uint8_t>(shape & 0x7F));
    SendEnd();
    FullViewStale = true;
}

void TEps::SendDataMessage(std::span<const std::int32_t> words) {
    SendHeader();
    for (std::int32_t word : words) {
        SendWord16(static_cast<std::uint32_t>(word));
    }
    SendEnd();
}

// Part of the exchange under way: nothing is settled before it.
void TEps::SendAck() {
    SendHeader();
    SendByte(rcAck);
    SendByte(0x00);
    SendByte(0x00);
    SendEnd();
}

void TEps::SendProbe(int value) {
    SendRequest(rcProbe);
    SendWord12(static_cast<std::uint32_t>(value));
    SendEnd();
}

void TEps::GetInstrumentParameters() {
    SendRequest(rcGetInstrumentParameters);
    SendAddressOf(0);
    SendEnd();
}

void TEps::GetWaveSampleParameters() {
    SendAddressRequest(rcGetWaveSampleParameters);
}

void TEps::GetWaveSampleData(std::int32_t start, std::int32_t end) {
    RequestedStart = start;
    RequestedEnd = end;
    SendRangeRequest(rcGetWaveSampleData, start, end);
}

void TEps::GetWaveSampleOverview(std::int32_t start, std::int32_t end) {
    SendRangeRequest(rcGetWaveSampleOverview, start, end);
}

void TEps::SendInstrumentParametersHeader() {
    SendAddressRequest(rcPutInstrumentParameters);
}

void TEps::SendInstrumentParameterData() {
    SendDataMessage(InstrumentParameters);
}

void TEps::SendWaveSampleParametersHeader() {
    SendAddressRequest(rcPutWaveSampleParameters);
}

void TEps::SendWaveSampleParameterData() {
    SendDataMessage(WaveSampleParameters);
}

void TEps::SendWaveSampleDataHeader(std::int32_t start, std::int32_t end) {
    SendRangeRequest(rcPutWaveSampleData, start, end);
}

void TEps::SendWaveSampleData(std::span<const std::int32_t> words) {
    SendDataMessage(words);
}

void TEps::CreateInstrument() {
    SendCreateRequest(rcCreateInstrument);
}

void TEps::CreateLayer() {
    SendCreateRequest(rcCreateLayer);
}

void TEps::CreateWaveSample() {
    SendCreateRequest(rcCreateWaveSample);
}

void TEps::SendCloseRequest() {
    SendAddressRequest(rcClose);
}

void TEps::ClearData(std::int32_t start, std::int32_t end) {
    SendRangeRequest(rcClearData, start, end);
    FullViewStale = true;
}

void TEps::CopyData(std::int32_t from, std::int32_t to, std::int32_t destination) {
    SendRequest(rcCopyData);
    SendAddress();
    SendAddress();
    SendRange(from, to);
    SendWord24(static_cast<std::uint32_t>(destination));
    SendEnd();
}

void TEps::ScaleData(std::int32_t start, std::int32_t end, std::int32_t startLevel,
                     std::int32_t endLevel, int depth) {
    StartRangeRequest(rcScaleData, start, end);
    SendRange(startLevel, endLevel);
    SendWord12(static_cast<std::uint32_t>(depth));
    SendEnd();
    FullViewStale = true;
}

void TEps::ReverseData(std::int32_t start, std::int32_t end) {
    SendRangeRequest(rcReverseData, start, end);
    FullViewStale = true;
}

void TEps::FadeIn(std::int32_t start, std::int32_t end, int shape) {
    SendFade(rcFadeIn, start, end, shape);
}

void TEps::FadeOut(std::int32_t start, std::int32_t end, int shape) {
    SendFade(rcFadeOut, start, end, shape);
}

void TEps::NormalizeGain() {
    SendAddressRequest(rcNormalizeGain);
    FullViewStale = true;
}

// The sampler changes instrument on program instrument + 8 followed by the
// instrument itself.
void TEps::SelectInstrument() {
    const auto instrument = static_cast<std::uint8_t>(Instrument);
    MidiOut->ProgramChange(static_cast<std::uint8_t>(instrument + 8));
    MidiOut->ProgramChange(instrument);
    MidiOut->ProgramChange(instrument);
}

void TEps::PlayNoteOn() {
    SelectInstrument();
    MidiOut->NoteOn(static_cast<std::uint8_t>(GetPlayKey()), NoteVelocity);
}

void TEps::PlayNoteOff() {
    MidiOut->NoteOn(static_cast<std::uint8_t>(GetPlayKey()), 0);
}
