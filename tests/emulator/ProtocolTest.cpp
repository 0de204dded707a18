// The sampler's protocol byte for byte: replies, their order and sizes,
// refusals, the dialogue states and the edits carried out on the memory.
#include <gmock/gmock.h>

#include <numeric>

#include "emulator/SampleEdits.h"
#include "tests/emulator/ProtocolFixture.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;

std::vector<std::int16_t> Ramp(std::size_t count, int step = 1) {
    std::vector<std::int16_t> data(count);
    for (std::size_t i = 0; i < count; ++i) {
        data[i] = static_cast<std::int16_t>(static_cast<int>(i) * step);
    }
    return data;
}

TEST_F(ProtocolTest, ProbeIsAcknowledged) {
    EXPECT_THAT(Exchange({0xF0, 0x0F, 0x03, 0x00, 0x40, 0x00, 0x23, 0xF7}),
                ElementsAre(TBytes{0xF0, 0x0F, 0x03, 0x00, 0x01, 0x00, 0x00, 0xF7}));
}

TEST_F(ProtocolTest, ListensAndAnswersOnItsOwnChannelOnly) {
    Restart(16);
    EXPECT_THAT(Exchange({0xF0, 0x0F, 0x03, 0x00, 0x40, 0x00, 0x23, 0xF7}), IsEmpty());
    EXPECT_THAT(Exchange({0xF0, 0x0F, 0x03, 0x0F, 0x40, 0x00, 0x23, 0xF7}),
                ElementsAre(TBytes{0xF0, 0x0F, 0x03, 0x0F, 0x01, 0x00, 0x00, 0xF7}));
    // An edit on another channel changes nothing.
    Restart(1);
    TBytes clear = RangeRequest(31, 0, 1, 0, 100);
    clear[3] = 0x01;
    EXPECT_THAT(Exchange(clear), IsEmpty());
    EXPECT_NE(At(0, 1).Data[50], 0);
}

TEST_F(ProtocolTest, CreatesInstrumentLayerAndWaveSampleForInstrument2) {
    const TBytes createWaveSample = {0xF0, 0x0F, 0x03, 0x00, 0x19, 0x00,
                                     0x02, 0x00, 0x00, 0x00, 0x01, 0xF7};
    EXPECT_THAT(Exchange(createWaveSample), ElementsAre(Response(5)));
    EXPECT_THAT(Exchange(AddressRequest(21, 2, 0, 1)), ElementsAre(Response(0)));
    EXPECT_THAT(Exchange(createWaveSample), ElementsAre(Response(6)));
    EXPECT_THAT(Exchange(AddressRequest(22, 2, 0, 1)), ElementsAre(Response(0)));
    EXPECT_THAT(Exchange(createWaveSample), ElementsAre(Response(0)));
    EXPECT_EQ(At(2, 1).Parameters, TWaveSample::DefaultParameters());
    EXPECT_THAT(At(2, 1).Data, IsEmpty());
    // The next one takes the next free slot; the block marks both as used.
    EXPECT_THAT(Exchange(createWaveSample), ElementsAre(Response(0)));
    const auto& block = Model.Instrument(2)->Parameters();
    EXPECT_NE(block[63] | block[64], 0);
    EXPECT_NE(block[65] | block[66], 0);
    EXPECT_EQ(block[67] | block[68], 0);
    // Creating what exists already changes nothing.
    EXPECT_THAT(Exchange(AddressRequest(21, 2, 0, 1)), ElementsAre(Response(0)));
    EXPECT_NE(Model.Instrument(2)->WaveSample(2), nullptr);
}

TEST_F(ProtocolTest, ClearDataOfTheFirstSample) {
    const std::int16_t second = At(0, 1).Data[1];
    ASSERT_NE(At(0, 1).Data[0] | 1, 0);
    EXPECT_THAT(Exchange({0xF0, 0x0F, 0x03, 0x00, 0x1F, 0x00, 0x00, 0x00, 0x00, 0x00,
                          0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0xF7}),
                ElementsAre(Response(0)));
    EXPECT_EQ(At(0, 1).Data[0], 0);
    EXPECT_EQ(At(0, 1).Data[1], second);
}

TEST_F(ProtocolTest, InstrumentParametersComeAfterTheAcknowledge) {
    const auto replies = Exchange(AddressRequest(3, 1, 0, 0));
    ASSERT_THAT(replies, SizeIs(2));
    EXPECT_EQ(replies[0], Response(0));
    EXPECT_EQ(replies[1],
              (TBytes{0xF0, 0x0F, 0x03, 0x00, 0x0C, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0xF7}));
    const auto data = Exchange(Ack);
    ASSERT_THAT(data, SizeIs(1));
    EXPECT_THAT(data[0], SizeIs(974));
    const auto words = WordsOf(data[0]);
    EXPECT_TRUE(std::equal(words.begin(), words.end(), Model.Instrument(1)->Parameters().begin()));
}

TEST_F(ProtocolTest, WaveSampleParametersAre422Bytes) {
    const auto replies = Exchange(AddressRequest(5, 3, 0, 1));
    ASSERT_THAT(replies, SizeIs(2));
    EXPECT_EQ(replies[1],
              (TBytes{0xF0, 0x0F, 0x03, 0x00, 0x0E, 0x00, 0x03, 0x00, 0x00, 0x00, 0x01, 0xF7}));
    const auto data = Exchange(Ack);
    ASSERT_THAT(data, SizeIs(1));
    EXPECT_THAT(data[0], SizeIs(422));
    const auto words = WordsOf(data[0]);
    EXPECT_TRUE(std::equal(words.begin(), words.end(), At(3, 1).Parameters.begin()));
}

TEST_F(ProtocolTest, WaveSampleDataHasA20ByteHeaderAndThreeBytesAWord) {
    const auto replies = Exchange(RangeRequest(6, 0, 1, 1000, 1256));
    ASSERT_THAT(replies, SizeIs(2));
    EXPECT_EQ(replies[0], Response(0));
    EXPECT_EQ(replies[1], (TBytes{0xF0, 0x0F, 0x03, 0x00, 0x0F, 0x00, 0x00, 0x00, 0x00, 0x00,
                                  0x01, 0x00, 0x00, 0x0F, 0x28, 0x00, 0x00, 0x13, 0x28, 0xF7}));
    const auto data = Exchange(Ack);
    ASSERT_THAT(data, SizeIs(1));
    EXPECT_THAT(data[0], SizeIs(3 * 256 + 5));
    const auto words = WordsOf(data[0]);
    const auto& samples = At(0, 1).Data;
    for (std::size_t i = 0; i < words.size(); ++i) {
        ASSERT_EQ(static_cast<std::int16_t>(words[i]), samples[1000 + i]) << i;
    }
}

TEST_F(ProtocolTest, DataPastTheEndOfTheDataIsSilence) {
    Place(4, 1, {-5, 7});
    const auto words = WordsOf(Fetch(RangeRequest(6, 4, 1, 0, 4)));
    EXPECT_THAT(words, ElementsAre(0xFFFB, 7, 0, 0));
}

TEST_F(ProtocolTest, AnyOtherMessageDropsTheHeldDataMessage) {
    ASSERT_THAT(Exchange(AddressRequest(5, 0, 0, 1)), SizeIs(2));
    EXPECT_THAT(Exchange({0xF0, 0x0F, 0x03, 0x00, 0x40, 0x00, 0x23, 0xF7}),
                ElementsAre(Response(0)));
    EXPECT_THAT(Exchange(Ack), IsEmpty());
    // An acknowledge nobody asked for is ignored too.
    EXPECT_THAT(Exchange(Ack), IsEmpty());
}

TEST_F(ProtocolTest, MissingThingsAreRefusedWithTheirCodes) {
    EXPECT_THAT(Exchange(AddressRequest(3, 2, 0, 0)), ElementsAre(Response(5)));
    EXPECT_THAT(Exchange(AddressRequest(5, 2, 0, 1)), ElementsAre(Response(5)));
    EXPECT_THAT(Exchange(AddressRequest(5, 0, 1, 1)), ElementsAre(Response(6)));
    EXPECT_THAT(Exchange(AddressRequest(5, 0, 0, 9)), ElementsAre(Response(8)));
    EXPECT_THAT(Exchange(AddressRequest(5, 0, 0, 0)), ElementsAre(Response(8)));
    EXPECT_THAT(Exchange(RangeRequest(15, 0, 9, 0, 10)), ElementsAre(Response(8)));
    EXPECT_THAT(Exchange(AddressRequest(14, 9, 0, 1)), ElementsAre(Response(5)));
    EXPECT_THAT(Exchange(AddressRequest(30, 0, 0, 5)), ElementsAre(Response(8)));
    Model.CreateInstrument(2);
    EXPECT_THAT(Exchange(AddressRequest(5, 2, 0, 1)), ElementsAre(Response(6)));
}

TEST_F(ProtocolTest, DataRequestsOnAParametersOnlyCopyAreRefusedWith17) {
    ASSERT_EQ(At(0, 2).CopyOf(), 1);
    EXPECT_THAT(Exchange(RangeRequest(6, 0, 2, 0, 256)), ElementsAre(Response(17)));
    EXPECT_THAT(Exchange(RangeRequest(10, 0, 2, 0, 1024)), ElementsAre(Response(17)));
    EXPECT_THAT(Exchange(RangeRequest(15, 0, 2, 0, 256)), ElementsAre(Response(17)));
    EXPECT_THAT(Exchange(RangeRequest(31, 0, 2, 0, 256)), ElementsAre(Response(17)));
    EXPECT_THAT(Exchange(AddressRequest(65, 0, 0, 2)), ElementsAre(Response(17)));
    EXPECT_THAT(Exchange(CopyRequest(0, 2, 0, 10, 20)), ElementsAre(Response(17)));
    // Its parameters are there to read.
    EXPECT_THAT(Exchange(AddressRequest(5, 0, 0, 2)), SizeIs(2));
}

TEST_F(ProtocolTest, RangesThatCannotBeServedAreRefusedWith10) {
    EXPECT_THAT(Exchange(RangeRequest(6, 0, 1, 500, 100)), ElementsAre(Response(10)));
    EXPECT_THAT(Exchange(RangeRequest(6, 0, 1, 0, 2 * 1024 * 1024)), ElementsAre(Response(10)));
    EXPECT_THAT(Exchange(RangeRequest(10, 0, 1, 500, 100)), ElementsAre(Response(10)));
    EXPECT_THAT(Exchange(RangeRequest(15, 0, 1, 500, 100)), ElementsAre(Response(10)));
    EXPECT_THAT(Exchange(RangeRequest(36, 0, 1, 500, 100)), ElementsAre(Response(10)));
    EXPECT_THAT(Exchange(CopyRequest(0, 1, 10, 5, 100)), ElementsAre(Response(10)));
}

TEST_F(ProtocolTest, WhatDoesNotFitTheMemoryIsRefusedWith12) {
    Model = TSamplerModel(TSamplerKind::Eps);
    Place(0, 1, Ramp(200 * 1024));
    Timing.EditPerSample = {};
    Restart();
    EXPECT_THAT(Exchange(RangeRequest(15, 0, 1, 250 * 1024, 260 * 1024)),
                ElementsAre(Response(12)));
    EXPECT_THAT(Exchange(RangeRequest(31, 0, 1, 0, 300 * 1024)), ElementsAre(Response(12)));
    EXPECT_THAT(Exchange(CopyRequest(0, 1, 0, 100 * 1024, 200 * 1024)), ElementsAre(Response(12)));
    // Up to the last word is fine.
    EXPECT_THAT(Exchange(RangeRequest(31, 0, 1, 0, 256 * 1024)), ElementsAre(Response(0)));
    EXPECT_EQ(Model.UsedWords(), Model.MemoryWords());
}

TEST_F(ProtocolTest, ABlockThatComesTooSoonIsRefusedWith20) {
    Timing.BlockPerWord = std::chrono::milliseconds(1);
    Restart();
    Place(4, 1, Ramp(10));
    EXPECT_THAT(Exchange(RangeRequest(15, 4, 1, 0, 10)), ElementsAre(Response(0)));
    EXPECT_THAT(Exchange(DataMessage(std::vector<std::uint16_t>(10, 3))), ElementsAre(Response(0)));
    EXPECT_THAT(Exchange(RangeRequest(15, 4, 1, 10, 20)), ElementsAre(Response(20)));
    Link.Clock += std::chrono::milliseconds(9);
    EXPECT_THAT(Exchange(RangeRequest(15, 4, 1, 10, 20)), ElementsAre(Response(20)));
    Link.Clock += std::chrono::milliseconds(1);
    EXPECT_THAT(Exchange(RangeRequest(15, 4, 1, 10, 20)), ElementsAre(Response(0)));
}

TEST_F(ProtocolTest, UploadCreatesWhatIsMissingAndStoresTheBlocks) {
    const TBytes header = RangeRequest(15, 2, 1, 0, 300);
    EXPECT_THAT(Exchange(header), ElementsAre(Response(5)));
    EXPECT_THAT(Exchange(AddressRequest(21, 2, 0, 1)), ElementsAre(Response(0)));
    EXPECT_THAT(Exchange(header), ElementsAre(Response(6)));
    EXPECT_THAT(Exchange(AddressRequest(22, 2, 0, 1)), ElementsAre(Response(0)));
    EXPECT_THAT(Exchange(header), ElementsAre(Response(8)));
    EXPECT_THAT(Exchange(AddressRequest(25, 2, 0, 1)), ElementsAre(Response(0)));
    EXPECT_THAT(Exchange(header), ElementsAre(Response(0)));
    std::vector<std::uint16_t> block(300);
    std::iota(block.begin(), block.end(), 0xFF00);
    // A sample held as a negative number carries extra bits in the first
    // byte; only the low 16 bits count.
    TBytes message = DataMessage(block);
    message[4] |= 0x30;
    EXPECT_THAT(Exchange(message), ElementsAre(Response(0)));
    const auto& data = At(2, 1).Data;
    ASSERT_THAT(data, SizeIs(300));
    EXPECT_EQ(data[0], -256);
    EXPECT_EQ(data[299], 43);
}

TEST_F(ProtocolTest, ParameterWritesReplaceTheBlocks) {
    TWaveSample::TParameters block = At(1, 1).Parameters;
    block[TWaveSample::RootKeyWord] = 0x4800;
    EXPECT_THAT(Exchange(AddressRequest(14, 1, 0, 1)), ElementsAre(Response(0)));
    EXPECT_THAT(Exchange(DataMessage({block.begin(), block.end()})), ElementsAre(Response(0)));
    EXPECT_EQ(At(1, 1).Parameters, block);

    // A rename: the slot words stay true to the wavesamples there.
    TInstrument::TParameters instrument = Model.Instrument(1)->Parameters();
    std::fill(instrument.begin(), instrument.end(), 0x2000);
    instrument[0] = 0x4B00;
    std::fill(instrument.begin() + 63, instrument.begin() + 67, 0);
    EXPECT_THAT(Exchange(AddressRequest(12, 1, 0, 1)), ElementsAre(Response(0)));
    EXPECT_THAT(Exchange(DataMessage({instrument.begin(), instrument.end()})),
                ElementsAre(Response(0)));
    const auto& stored = Model.Instrument(1)->Parameters();
    EXPECT_EQ(stored[0], 0x4B00);
    EXPECT_EQ(stored[11], 0x2000);
    EXPECT_NE(stored[63] | stored[64], 0);
    EXPECT_NE(stored[65] | stored[66], 0);
    EXPECT_EQ(stored[67] | stored[68], 0);
}

TEST_F(ProtocolTest, AMessageOfAnotherLengthEndsTheWaitForData) {
    const auto before = At(1, 1).Parameters;
    EXPECT_THAT(Exchange(AddressRequest(14, 1, 0, 1)), ElementsAre(Response(0)));
    EXPECT_THAT(Exchange(DataMessage(std::vector<std::uint16_t>(138, 0x4100))), IsEmpty());
    EXPECT_THAT(Exchange(DataMessage(std::vector<std::uint16_t>(139, 0x4100))), IsEmpty());
    EXPECT_EQ(At(1, 1).Parameters, before);
    EXPECT_THAT(Exchange({0xF0, 0x0F, 0x03, 0x00, 0x40, 0x00, 0x23, 0xF7}),
                ElementsAre(Response(0)));
}

TEST_F(ProtocolTest, MalformedAndCutShortMessagesGetNoReply) {
    // One field byte too many, an unknown code, another maker, a lone F0.
    EXPECT_THAT(Exchange({0xF0, 0x0F, 0x03, 0x00, 0x40, 0x00, 0x23, 0x00, 0xF7}), IsEmpty());
    EXPECT_THAT(Exchange({0xF0, 0x0F, 0x03, 0x00, 0x02, 0x00, 0x23, 0xF7}), IsEmpty());
    EXPECT_THAT(Exchange({0xF0, 0x41, 0x03, 0x00, 0x40, 0x00, 0x23, 0xF7}), IsEmpty());
    EXPECT_THAT(Exchange({0xF0, 0xF7}), IsEmpty());
    // A message cut short by the next one is dropped; the next is answered.
    EXPECT_THAT(Exchange({0xF0, 0x0F, 0x03, 0x00, 0x1F, 0x00, 0x00, 0xF0, 0x0F, 0x03, 0x00, 0x40,
                          0x00, 0x23, 0xF7}),
                ElementsAre(Response(0)));
    // A request split over several deliveries, with a realtime byte inside.
    Link.Bytes.clear();
    Protocol->Receive(TBytes{0xF0, 0x0F, 0x03});
    Protocol->Receive(TBytes{0x00, 0x40, 0xF8, 0x00});
    EXPECT_THAT(Link.Bytes, IsEmpty());
    Protocol->Receive(TBytes{0x23, 0xF7});
    EXPECT_EQ(Link.Bytes, Response(0));
}

TEST_F(ProtocolTest, WorkAreaPreparationOfAWaveSampleEndingAt1000) {
    const auto original = Ramp(1001, 3);
    Place(4, 1, original);
    EXPECT_THAT(Exchange(CopyRequest(4, 1, 0, 1000, 1000)), ElementsAre(Response(0)));
    EXPECT_THAT(Exchange(CopyRequest(4, 1, 0, 48, 2000)), ElementsAre(Response(0)));
    EXPECT_THAT(Exchange(RangeRequest(31, 4, 1, 1001, 2049)), ElementsAre(Response(0)));
    const auto& data = At(4, 1).Data;
    ASSERT_THAT(data, SizeIs(2049));
    EXPECT_TRUE(std::equal(original.begin(), original.begin() + 1000, data.begin()));
    // The first copy lands on the last sample: it takes sample 0's value.
    EXPECT_EQ(data[1000], original[0]);
    EXPECT_TRUE(std::all_of(data.begin() + 1001, data.end(), [](auto v) { return v == 0; }));
    EXPECT_EQ(At(4, 1).Address(TWaveSample::EndWord), 1000u);
    EXPECT_EQ(Model.UsedWords(), 2049 + 43750 + 22561 + 400 + 46875);
}

TEST_F(ProtocolTest, EditsChangeTheData) {
    Place(4, 1, std::vector<std::int16_t>(100, 1000));
    EXPECT_THAT(Exchange(RangeRequest(36, 4, 1, 0, 0)), ElementsAre(Response(0)));
    auto& data = At(4, 1).Data;
    std::iota(data.begin(), data.begin() + 10, 1);
    EXPECT_THAT(Exchange(RangeRequest(36, 4, 1, 0, 10)), ElementsAre(Response(0)));
    EXPECT_THAT(std::vector(data.begin(), data.begin() + 11),
                ElementsAre(10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 1000));

    TBytes fadeIn = RangeRequest(39, 4, 1, 20, 25);
    fadeIn.insert(fadeIn.end() - 1, {0x00, 0x00});
    EXPECT_THAT(Exchange(fadeIn), ElementsAre(Response(0)));
    EXPECT_THAT(std::vector(data.begin() + 20, data.begin() + 26),
                ElementsAre(0, 250, 500, 750, 1000, 1000));
    TBytes fadeOut = RangeRequest(40, 4, 1, 30, 35);
    fadeOut.insert(fadeOut.end() - 1, {0x00, 0x00});
    EXPECT_THAT(Exchange(fadeOut), ElementsAre(Response(0)));
    EXPECT_THAT(std::vector(data.begin() + 30, data.begin() + 35),
                ElementsAre(1000, 750, 500, 250, 0));

    // Level words as the envelope editor packs them: 258 is level 130, 512
    // is 256; the gain goes linearly from the one to the other.
    TBytes scale = RangeRequest(34, 4, 1, 40, 43);
    scale.pop_back();
    const TBytes levels = TSysExWriter(1).Word24(258).Word24(512).Word12(3).Finish();
    scale.insert(scale.end(), levels.begin() + 4, levels.end());
    EXPECT_THAT(Exchange(scale), ElementsAre(Response(0)));
    EXPECT_THAT(std::vector(data.begin() + 40, data.begin() + 44),
                ElementsAre(1016, 1508, 2000, 1000));

    EXPECT_THAT(Exchange(AddressRequest(65, 4, 0, 1)), ElementsAre(Response(0)));
    EXPECT_EQ(*std::max_element(data.begin(), data.end()), 32767);
}

TEST_F(ProtocolTest, OverviewPointsArePeaksOfEqualWindows) {
    std::vector<std::int16_t> data(4000, 0);
    // 0..4096 is shown as 512 windows of 4 samples: 0..2047.
    data[1] = -300;
    data[3] = 200;
    data[2047] = 77;
    data[3001] = -32768;
    Place(4, 1, data);
    const auto replies = Exchange(RangeRequest(10, 4, 1, 0, 4096));
    ASSERT_THAT(replies, SizeIs(2));
    EXPECT_EQ(replies[1], (TBytes{0xF0, 0x0F, 0x03, 0x00, 0x13, 0x00, 0x04, 0x00, 0x00, 0x00,
                                  0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0xF7}));
    const auto points = WordsOf(Exchange(Ack).at(0));
    ASSERT_THAT(points, SizeIs(512));
    EXPECT_EQ(points[0], 300);
    EXPECT_EQ(points[1], 0);
    EXPECT_EQ(points[511], 77);
    // Past the data everything is silence; full negative scale shows as the
    // largest positive value, since the view reads the words as signed.
    EXPECT_EQ(WordsOf(Fetch(RangeRequest(10, 4, 1, 3000, 3000 + 1024)))[1], 32767);
    EXPECT_EQ(WordsOf(Fetch(RangeRequest(10, 4, 1, 8000, 8000 + 4096)))[0], 0);
}

TEST_F(ProtocolTest, LongEditsAnswerWithWaitResponsesFirst) {
    Timing.EditPerSample = std::chrono::milliseconds(1);
    Timing.WaitThreshold = std::chrono::milliseconds(250);
    Timing.WaitInterval = std::chrono::milliseconds(250);
    Restart();
    EXPECT_THAT(Exchange(RangeRequest(36, 0, 1, 0, 249)), ElementsAre(Response(0)));
    EXPECT_EQ(Link.Slept.count(), 0);
    EXPECT_THAT(Exchange(RangeRequest(36, 0, 1, 0, 1000)),
                ElementsAre(Response(1), Response(1), Response(1), Response(1), Response(0)));
    EXPECT_EQ(Link.Slept, std::chrono::seconds(1));

    // A faster clock shortens the real wait, not the dialogue.
    Timing.TimeScale = 20;
    Restart();
    Link.Slept = {};
    EXPECT_THAT(Exchange(RangeRequest(31, 0, 1, 0, 600)),
                ElementsAre(Response(1), Response(1), Response(1), Response(0)));
    EXPECT_EQ(Link.Slept, std::chrono::milliseconds(30));
}

TEST_F(ProtocolTest, FaultKnobsBendTheReplies) {
    const TBytes probe = {0xF0, 0x0F, 0x03, 0x00, 0x40, 0x00, 0x23, 0xF7};
    TSamplerFaults faults;
    faults.Silent = true;
    Protocol->SetFaults(faults);
    EXPECT_THAT(Exchange(probe), IsEmpty());

    faults = {};
    faults.CutMessages = true;
    Protocol->SetFaults(faults);
    EXPECT_THAT(Exchange(probe), ElementsAre(TBytes{0xF0, 0x0F, 0x03, 0x00}));

    faults = {};
    faults.Garbage = true;
    Protocol->SetFaults(faults);
    const auto garbage = Exchange(probe);
    ASSERT_THAT(garbage, SizeIs(1));
    EXPECT_THAT(garbage[0], SizeIs(8));
    EXPECT_TRUE(std::all_of(garbage[0].begin(), garbage[0].end(), [](auto b) { return b < 0x80; }));

    faults = {};
    faults.ReplyChannel = 5;
    Protocol->SetFaults(faults);
    EXPECT_THAT(Exchange(probe),
                ElementsAre(TBytes{0xF0, 0x0F, 0x03, 0x04, 0x01, 0x00, 0x00, 0xF7}));

    faults = {};
    faults.WrongInstrument = true;
    Protocol->SetFaults(faults);
    const auto replies = Exchange(AddressRequest(5, 3, 0, 1));
    ASSERT_THAT(replies, SizeIs(2));
    EXPECT_EQ(replies[1],
              (TBytes{0xF0, 0x0F, 0x03, 0x00, 0x0E, 0x00, 0x04, 0x00, 0x00, 0x00, 0x01, 0xF7}));
}

TEST_F(ProtocolTest, ChannelMessagesSelectTheInstrumentAndPlayNotes) {
    Protocol->Receive(TBytes{0xC0, 0x0B, 0xC0, 0x03, 0xC0, 0x03});
    EXPECT_EQ(Protocol->Performance().Program, 3);
    EXPECT_EQ(Protocol->Performance().Instrument, 3);
    Protocol->Receive(TBytes{0x90, 0x3C, 0x79});
    EXPECT_EQ(Protocol->Performance().Key, 60);
    EXPECT_EQ(Protocol->Performance().Velocity, 121);
    EXPECT_TRUE(Protocol->Performance().Sounding);
    // Running status, then a note on with velocity 0 as note off.
    Protocol->Receive(TBytes{0x90, 0x3C, 0x00, 0x3E, 0x50});
    EXPECT_EQ(Protocol->Performance().Key, 62);
    Protocol->Receive(TBytes{0x3E, 0x00});
    EXPECT_FALSE(Protocol->Performance().Sounding);
    // Other channels are not ours.
    Protocol->Receive(TBytes{0xC1, 0x01, 0x91, 0x40, 0x40});
    EXPECT_EQ(Protocol->Performance().Instrument, 3);
    EXPECT_FALSE(Protocol->Performance().Sounding);
}

TEST_F(ProtocolTest, LogsOneLinePerRequest) {
    std::vector<std::string> lines;
    Protocol->SetLog([&](const std::string& line) { lines.push_back(line); });
    Exchange({0xF0, 0x0F, 0x03, 0x00, 0x40, 0x00, 0x23, 0xF7});
    Exchange(RangeRequest(6, 0, 1, 0, 2));
    Exchange(Ack);
    Exchange(AddressRequest(5, 2, 0, 1));
    EXPECT_THAT(lines, ElementsAre("Probe 35 -> 0", "GetWaveSampleData 0/0/1 0..2 -> 0",
                                   "Ack -> data of 2 words", "GetWaveSampleParameters 2/0/1 -> 5"));
}

} // namespace
