// What the engine sends, byte for byte, through the real ports.
#include <gtest/gtest.h>

#include <functional>

#include "tests/eps/LoopbackEps.h"

namespace {

class RequestsTest : public LoopbackEpsTest {};

TEST(WireFormatTest, NumbersAreSixBitsAPieceMostSignificantFirst) {
    EXPECT_EQ(Word16Bytes(0x8000), (std::array<std::uint8_t, 3>{0x08, 0x00, 0x00}));
    // A negative sample carries its two's-complement bits 17 and 16 along.
    EXPECT_EQ(Word16Bytes(static_cast<std::uint32_t>(-32768)),
              (std::array<std::uint8_t, 3>{0x38, 0x00, 0x00}));
    EXPECT_EQ(Word16Value(0x0F, 0x3F, 0x3F), 0xFFFF);
    EXPECT_EQ(Word24Bytes(100000), (std::array<std::uint8_t, 4>{0x00, 0x18, 0x1A, 0x20}));
    EXPECT_EQ(Word24Value(0x018, 0x6A0), 100000);
    EXPECT_EQ(Word12Bytes(35), (std::array<std::uint8_t, 2>{0x00, 0x23}));
    EXPECT_EQ(Word12Value(0x3F, 0x3F), 0xFFF);
}

TEST_F(RequestsTest, HeaderCarriesTheChannel) {
    Eps->SendAck();
    EXPECT_EQ(TakeSent(8), AckMessage);
    Eps->MidiOut->SetChannel(16);
    Eps->SendAck();
    EXPECT_EQ(TakeSent(8), TBytes({0xF0, 0x0F, 0x03, 0x0F, 0x01, 0x00, 0x00, 0xF7}));
}

TEST_F(RequestsTest, EncodersGoOutThroughThePort) {
    Eps->SendHeader();
    Eps->SendWord16(0x8000);
    Eps->SendWord16(static_cast<std::uint32_t>(-32768));
    Eps->SendWord24(100000);
    Eps->SendWord12(35);
    Eps->MidiOut->PutSysExByte(SysExEnd);
    EXPECT_EQ(TakeSent(17), TBytes({0xF0, 0x0F, 0x03, 0x00, 0x08, 0x00, 0x00, 0x38, 0x00, 0x00,
                                    0x00, 0x18, 0x1A, 0x20, 0x00, 0x23, 0xF7}));
}

TEST_F(RequestsTest, ExampleMessages) {
    Eps->SendProbe(35);
    EXPECT_EQ(TakeSent(8), TBytes({0xF0, 0x0F, 0x03, 0x00, 0x40, 0x00, 0x23, 0xF7}));

    Eps->Instrument = 2;
    Eps->WaveSample = 7;
    Eps->CreateWaveSample();
    EXPECT_EQ(TakeSent(12),
              TBytes({0xF0, 0x0F, 0x03, 0x00, 0x19, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0xF7}));

    Eps->Instrument = 0;
    Eps->WaveSample = 1;
    Eps->ClearData(0, 1);
    EXPECT_EQ(TakeSent(20), TBytes({0xF0, 0x0F, 0x03, 0x00, 0x1F, 0x00, 0x00, 0x00, 0x00, 0x00,
                                    0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0xF7}));
}

struct TRequestCase {
    const char* Name;
    std::function<void(TEps&)> Send;
    TBytes Expected;
    // Whether the request leaves the cached whole view stale.
    bool Stales;
};

// Instrument 3, wavesample 5 (address bytes 00 03 00 00 00 05); positions
// 100000 (00 18 1A 20) and 4097 (00 01 00 01).
const TBytes Head = {0xF0, 0x0F, 0x03, 0x00};
const TBytes Address = {0x00, 0x03, 0x00, 0x00, 0x00, 0x05};
const TBytes Range = {0x00, 0x18, 0x1A, 0x20, 0x00, 0x01, 0x00, 0x01};
const TBytes End = {0xF7};

TBytes Request(std::uint8_t code, std::initializer_list<TBytes> fields) {
    TBytes bytes = Head;
    bytes.push_back(code);
    for (const TBytes& field : fields) {
        bytes.insert(bytes.end(), field.begin(), field.end());
    }
    bytes.push_back(0xF7);
    return bytes;
}

const TBytes CreateAddress = {0x00, 0x03, 0x00, 0x00, 0x00, 0x01};

std::vector<TRequestCase> RequestCases() {
    return {
        {"GetInstrumentParameters", [](TEps& e) { e.GetInstrumentParameters(); },
         Request(0x03, {{0x00, 0x03, 0x00, 0x00, 0x00, 0x00}}), false},
        {"GetWaveSampleParameters", [](TEps& e) { e.GetWaveSampleParameters(); },
         Request(0x05, {Address}), false},
        {"GetWaveSampleData", [](TEps& e) { e.GetWaveSampleData(100000, 4097); },
         Request(0x06, {Address, Range}), false},
        {"GetWaveSampleOverview", [](TEps& e) { e.GetWaveSampleOverview(100000, 4097); },
         Request(0x0A, {Address, Range}), false},
        {"SendInstrumentParametersHeader", [](TEps& e) { e.SendInstrumentParametersHeader(); },
         Request(0x0C, {Address}), false},
        {"SendWaveSampleParametersHeader", [](TEps& e) { e.SendWaveSampleParametersHeader(); },
         Request(0x0E, {Address}), false},
        {"SendWaveSampleDataHeader", [](TEps& e) { e.SendWaveSampleDataHeader(100000, 4097); },
         Request(0x0F, {Address, Range}), false},
        {"CreateInstrument", [](TEps& e) { e.CreateInstrument(); }, Request(0x15, {CreateAddress}),
         false},
        {"CreateLayer", [](TEps& e) { e.CreateLayer(); }, Request(0x16, {CreateAddress}), false},
        {"CreateWaveSample", [](TEps& e) { e.CreateWaveSample(); }, Request(0x19, {CreateAddress}),
         false},
        {"SendCloseRequest", [](TEps& e) { e.SendCloseRequest(); }, Request(0x1E, {Address}),
         false},
        {"ClearData", [](TEps& e) { e.ClearData(100000, 4097); }, Request(0x1F, {Address, Range}),
         true},
        {"CopyData", [](TEps& e) { e.CopyData(100000, 4097, 64); },
         Request(0x20, {Address, Address, Range, {0x00, 0x00, 0x01, 0x00}}), false},
        {"ScaleData", [](TEps& e) { e.ScaleData(100000, 4097, 128, 256, 6); },
         Request(0x22,
                 {Address, Range, {0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x04, 0x00}, {0x00, 0x06}}),
         true},
        {"ReverseData", [](TEps& e) { e.ReverseData(100000, 4097); },
         Request(0x24, {Address, Range}), true},
        {"FadeIn", [](TEps& e) { e.FadeIn(100000, 4097, 0); },
         Request(0x27, {Address, Range, {0x00, 0x00}}), true},
        {"FadeOut", [](TEps& e) { e.FadeOut(100000, 4097, 0); },
         Request(0x28, {Address, Range, {0x00, 0x00}}), true},
        {"NormalizeGain", [](TEps& e) { e.NormalizeGain(); }, Request(0x41, {Address}), true},
    };
}

TEST_F(RequestsTest, EveryRequestWithItsFields) {
    Eps->Instrument = 3;
    Eps->WaveSample = 5;
    for (const TRequestCase& request : RequestCases()) {
        SCOPED_TRACE(request.Name);
        Eps->FullViewStale = false;
        request.Send(*Eps);
        EXPECT_EQ(TakeSent(request.Expected.size()), request.Expected);
        EXPECT_EQ(Eps->FullViewStale, request.Stales);
    }
}

TEST_F(RequestsTest, CopyDataLeavesAStaleViewStale) {
    Eps->FullViewStale = true;
    Eps->CopyData(0, 10, 20);
    EXPECT_TRUE(Eps->FullViewStale);
}

TEST_F(RequestsTest, DataMessagesHaveThreeBytesAWordAndTheirFrame) {
    Eps->WaveSampleParameters[0] = 0xFFFF;
    Eps->SendWaveSampleParameterData();
    const TBytes parameters = TakeSent(422);
    EXPECT_EQ(parameters.size(), 422u);
    EXPECT_EQ(TBytes(parameters.begin(), parameters.begin() + 7),
              TBytes({0xF0, 0x0F, 0x03, 0x00, 0x0F, 0x3F, 0x3F}));
    EXPECT_EQ(parameters.back(), 0xF7);

    Eps->SendInstrumentParameterData();
    EXPECT_EQ(TakeSent(974).back(), 0xF7);

    const std::vector<std::int32_t> samples = {-32768, -1, 0, 32767};
    Eps->SendWaveSampleData(samples);
    EXPECT_EQ(
        TakeSent(17),
        Concat(
            {Head, {0x38, 0x00, 0x00, 0x3F, 0x3F, 0x3F, 0x00, 0x00, 0x00, 0x07, 0x3F, 0x3F}, End}));

    // The longest block still goes out as one message.
    std::vector<std::int32_t> block(TransferBufferWords, 0x1234);
    Eps->SendWaveSampleData(block);
    const TBytes longest = TakeSent(30725);
    ASSERT_EQ(longest.size(), 30725u);
    EXPECT_EQ(longest.back(), 0xF7);
}

TEST_F(RequestsTest, ChannelMessagesSelectAndPlay) {
    Eps->MidiOut->SetChannel(3);
    Eps->Instrument = 5;
    Eps->SelectInstrument();
    EXPECT_EQ(TakeSent(6), TBytes({0xC2, 13, 0xC2, 5, 0xC2, 5}));

    Eps->WaveSampleParameters[wpRootKey] = 110 << 8;
    Eps->PlayNoteOn();
    EXPECT_EQ(TakeSent(9), TBytes({0xC2, 13, 0xC2, 5, 0xC2, 5, 0x92, 108, 121}));
    Eps->PlayNoteOff();
    EXPECT_EQ(TakeSent(3), TBytes({0x92, 108, 0}));
}

} // namespace
