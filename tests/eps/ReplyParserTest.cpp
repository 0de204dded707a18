// The reply parser against scripted byte streams.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <numeric>

#include "tests/eps/LoopbackEps.h"

namespace {

using ::testing::HasSubstr;

class ReplyParserTest : public LoopbackEpsTest {
protected:
    // Distinct words that use all 16 bits, the upper half included.
    static std::vector<std::int32_t> Pattern(std::size_t count) {
        std::vector<std::int32_t> words(count);
        for (std::size_t i = 0; i < count; ++i) {
            words[i] = static_cast<std::int32_t>((i * 0x9E37 + 0x1234) & 0xFFFF);
        }
        return words;
    }

    // A download block request, taken off the line: the header that answers
    // it must name this range.
    void AskForBlock(std::int32_t start, std::int32_t end) {
        Eps->GetWaveSampleData(start, end);
        TakeSent(20);
    }
};

TEST_F(ReplyParserTest, AcknowledgeIsTracedStepByStep) {
    Feed(Response(0));
    EXPECT_EQ(Eps->ProcessInput(), rrAck);
    EXPECT_EQ(Trace.Text(), "Proc.Inp (p) Response : 0\r\n");
    EXPECT_EQ(Eps->MidiIn->InputCount(), 0u);
    ExpectNothingSent();
}

TEST_F(ReplyParserTest, EachResponseCodeHasItsResult) {
    const std::vector<std::pair<std::uint8_t, TReplyResult>> cases = {
        {0, rrAck},       {5, rrNoInstrument}, {6, rrNoLayer},         {10, rrFailed},
        {20, rrSlowDown}, {23, rrRefused23},   {2, rrUnknownResponse}, {99, rrUnknownResponse},
    };
    for (const auto& [code, result] : cases) {
        Feed(Response(code));
        EXPECT_EQ(Eps->ProcessInput(), result) << int{code};
        EXPECT_EQ(Eps->MidiIn->InputCount(), 0u);
    }
    EXPECT_TRUE(Dialogs.Warnings.empty());
    EXPECT_THAT(Trace.Text(), HasSubstr("Response : 99\r\nunknown response\r\n"));
}

TEST_F(ReplyParserTest, InvalidWavesampleIsShownOnlyOutsideAnUpload) {
    Feed(Response(8));
    EXPECT_EQ(Eps->ProcessInput(), rrInvalidWaveSample);
    ASSERT_EQ(Dialogs.Warnings.size(), 1u);
    EXPECT_EQ(Dialogs.Warnings[0].first, "Invalid Wavesample");
    EXPECT_EQ(Dialogs.Warnings[0].second, mcDefault);

    Eps->UploadState = 5;
    Feed(Response(8));
    EXPECT_EQ(Eps->ProcessInput(), rrInvalidWaveSample);
    EXPECT_EQ(Dialogs.Warnings.size(), 1u);
}

TEST_F(ReplyParserTest, CopyRefusalIsShownWithAnEmptyCaptionAndFails) {
    Feed(Response(17));
    EXPECT_EQ(Eps->ProcessInput(), rrFailed);
    ASSERT_EQ(Dialogs.Warnings.size(), 1u);
    EXPECT_EQ(Dialogs.Warnings[0].first, "WaveSample is a Copy");
    EXPECT_EQ(Dialogs.Warnings[0].second, mcEmpty);
}

TEST_F(ReplyParserTest, WithoutDialogsRefusalsAreSilent) {
    Eps->SetDialogs(nullptr);
    Feed(Concat({Response(8), Response(17)}));
    EXPECT_EQ(Eps->ProcessInput(), rrInvalidWaveSample);
    EXPECT_EQ(Eps->ProcessInput(), rrFailed);
    EXPECT_TRUE(Dialogs.Warnings.empty());
}

TEST_F(ReplyParserTest, WaitResponsesKeepTheSameCallListening) {
    Feed(Concat({Response(1), Response(1), Response(0)}));
    EXPECT_EQ(Eps->ProcessInput(), rrAck);
    EXPECT_EQ(Eps->MidiIn->InputCount(), 0u);
    EXPECT_EQ(Trace.Text(),
              "Proc.Inp (p) Response : 1\r\n(p) Response : 1\r\n(p) Response : 0\r\n");
}

TEST_F(ReplyParserTest, SilenceIsNothing) {
    EXPECT_EQ(Eps->ProcessInput(), rrNothing);
    EXPECT_EQ(Trace.Text(), "Proc.Inp (nothing...\r\n");
}

TEST_F(ReplyParserTest, WaitThenSilenceIsNothingAfterWait) {
    Feed(Response(1));
    EXPECT_EQ(Eps->ProcessInput(), rrNothingAfterWait);
    EXPECT_THAT(Trace.Text(), HasSubstr("Response : 1\r\n(nothing...\r\n"));
}

TEST_F(ReplyParserTest, ForeignInputIsNothingAndOnlyItsHeaderIsTaken) {
    // A message of another manufacturer: F0 matches, 41 does not.
    Feed({0xF0, 0x41, 0x10, 0x42, 0xF7});
    EXPECT_EQ(Eps->ProcessInput(), rrNothing);
    EXPECT_EQ(Eps->MidiIn->InputCount(), 3u);
    Eps->MidiIn->ClearInput();

    // The sampler answering on another channel is not heard.
    Feed(Response(0, 2));
    EXPECT_EQ(Eps->ProcessInput(), rrNothing);
    Eps->MidiIn->ClearInput();

    Eps->MidiOut->SetChannel(16);
    Feed(Response(0, 16));
    EXPECT_EQ(Eps->ProcessInput(), rrAck);
}

TEST_F(ReplyParserTest, MalformedResponseFails) {
    Feed(TReply().Byte(0x01).Byte(0x05).Byte(0x00).End());
    EXPECT_EQ(Eps->ProcessInput(), rrFailed);
    Eps->MidiIn->ClearInput();
    Feed(TReply().Byte(0x01).Byte(0x00).Byte(0x00).Byte(0x00).End());
    EXPECT_EQ(Eps->ProcessInput(), rrFailed);
}

TEST_F(ReplyParserTest, UnknownMessageCodeFailsAndLeavesTheRest) {
    Feed(TReply().Byte(0x02).Byte(0x11).Byte(0x22).End());
    EXPECT_EQ(Eps->ProcessInput(), rrFailed);
    EXPECT_EQ(Eps->MidiIn->InputCount(), 3u);
    EXPECT_THAT(Trace.Text(), HasSubstr("Unknown EPS data\r\n"));
    ExpectNothingSent();
}

TEST_F(ReplyParserTest, ReadersAssembleTheWireEncodings) {
    // Only System Exclusive bytes reach the ring.
    Feed({0xF0, 0x0F, 0x3F, 0x3F, 0x00, 0x18, 0x1A, 0x20, 0x3F, 0x3F, 0x00, 0x23, 0xF7});
    EXPECT_TRUE(Eps->MidiIn->ExpectByte(0xF0));
    std::int32_t value = 0;
    EXPECT_TRUE(Eps->ReadWord16(value));
    EXPECT_EQ(value, 0xFFFF);
    EXPECT_TRUE(Eps->ReadWord24(value));
    EXPECT_EQ(value, 100000);
    EXPECT_TRUE(Eps->ReadWord12(value));
    EXPECT_EQ(value, 0xFFF);
    EXPECT_FALSE(Eps->ExpectWord12(36));
}

TEST_F(ReplyParserTest, InstrumentParametersAreAcknowledgedAndStored) {
    Eps->Instrument = 2;
    const std::vector<std::int32_t> words = Pattern(InstrumentWords);
    Feed(Concat({AddressedHeader(12, 2, 0), DataMessage(words)}));
    EXPECT_EQ(Eps->ProcessInput(), rrInstrumentParameters);
    EXPECT_TRUE(std::equal(words.begin(), words.end(), Eps->InstrumentParameters.begin()));
    EXPECT_EQ(TakeSent(8), AckMessage);
    EXPECT_EQ(Trace.Text(), "Proc.Inp (p) Instrument parameters -> Ack -> (p) Done.\r\n");
}

TEST_F(ReplyParserTest, WaveSampleParametersAreStoredAsTheyCame) {
    Eps->Instrument = 1;
    Eps->WaveSample = 4;
    std::vector<std::int32_t> words = Pattern(WaveSampleWords);
    words[0] = 0xFFFF;
    words[1] = 0x8000;
    Feed(Concat({AddressedHeader(14, 1, 4), DataMessage(words)}));
    EXPECT_EQ(Eps->ProcessInput(), rrWaveSampleParameters);
    EXPECT_TRUE(std::equal(words.begin(), words.end(), Eps->WaveSampleParameters.begin()));
    EXPECT_EQ(Eps->WaveSampleParameters[0], 65535);
    EXPECT_EQ(TakeSent(8), AckMessage);
    EXPECT_THAT(Trace.Text(), HasSubstr("WaveSample Pars -> Ack -> (p) Done.\r\n"));
}

TEST_F(ReplyParserTest, HeadersOfAnotherWavesampleOrInstrumentFailUnacknowledged) {
    Eps->WaveSample = 4;
    Feed(Concat({AddressedHeader(14, 0, 5), DataMessage(Pattern(WaveSampleWords))}));
    EXPECT_EQ(Eps->ProcessInput(), rrFailed);
    // The header's end and the data stay in the ring.
    EXPECT_EQ(Eps->MidiIn->InputCount(), 1u + 3 * WaveSampleWords + 5);
    Eps->MidiIn->ClearInput();

    Feed(AddressedHeader(12, 3, 0));
    EXPECT_EQ(Eps->ProcessInput(), rrFailed);
    Eps->MidiIn->ClearInput();

    Feed(RangeHeader(15, 0, 3, 0, 512));
    EXPECT_EQ(Eps->ProcessInput(), rrFailed);
    ExpectNothingSent();
}

TEST_F(ReplyParserTest, ViewDataBecomeSignedSamples) {
    std::vector<std::int32_t> words = Pattern(ViewPointCount);
    words[0] = 0x8000;
    words[1] = 0xFFFF;
    words[2] = 0x7FFF;
    Feed(Concat({RangeHeader(15, 0, 1, 100, 612), DataMessage(words)}));
    EXPECT_EQ(Eps->ProcessInput(), rrData);
    EXPECT_EQ(Eps->ViewPoints[0], -32768);
    EXPECT_EQ(Eps->ViewPoints[1], -1);
    EXPECT_EQ(Eps->ViewPoints[2], 32767);
    for (std::size_t i = 0; i < words.size(); ++i) {
        EXPECT_EQ(Eps->ViewPoints[i], static_cast<std::int16_t>(words[i])) << i;
    }
    EXPECT_EQ(TakeSent(8), AckMessage);
    EXPECT_THAT(Trace.Text(), HasSubstr("WaveSample Data -> Ack -> (p) Done.\r\n"));
}

TEST_F(ReplyParserTest, OverviewFillsTheViewPoints) {
    const std::vector<std::int32_t> words = Pattern(ViewPointCount);
    Feed(Concat({RangeHeader(19, 0, 1, 0, 10240), DataMessage(words)}));
    EXPECT_EQ(Eps->ProcessInput(), rrOverview);
    EXPECT_EQ(Eps->ViewPoints[511], static_cast<std::int16_t>(words[511]));
    EXPECT_EQ(TakeSent(8), AckMessage);
    EXPECT_THAT(Trace.Text(), HasSubstr("WaveSample Overview -> Ack -> (p) Done.\r\n"));
}

TEST_F(ReplyParserTest, ParameterBlockCutShortTracesWhereItStopped) {
    Feed(Concat({AddressedHeader(14, 0, 1), TReply().Words(Pattern(100)).End()}));
    EXPECT_EQ(Eps->ProcessInput(), rrFailed);
    // The F7 went into word 100 as its first byte; word 100 never came whole.
    EXPECT_THAT(Trace.Text(), HasSubstr("Ack -> (p) Stopped at : 100\r\n"));
}

TEST_F(ReplyParserTest, DownloadHeaderIsAcknowledgedAndItsDataLeftForTheNextStep) {
    Eps->DownloadState = 6;
    AskForBlock(256, 512);
    std::vector<std::int32_t> words = Pattern(256);
    words[0] = -1;
    Feed(Concat({RangeHeader(15, 0, 1, 256, 512), DataMessage(words)}));
    EXPECT_EQ(Eps->ProcessInput(), rrDataHeader);
    EXPECT_EQ(Eps->DataStart, 256);
    EXPECT_EQ(Eps->DataEnd, 512);
    EXPECT_EQ(TakeSent(8), AckMessage);
    EXPECT_EQ(Eps->MidiIn->InputCount(), 3u * 256 + 5);
    EXPECT_THAT(Trace.Text(), HasSubstr("WaveSample Data -> Sending ack\r\n"));

    Trace.Clear();
    Eps->DownloadState = 8;
    EXPECT_EQ(Eps->ProcessInput(), rrData);
    // Download words are kept whole: -1 went out as 3F 3F 3F.
    EXPECT_EQ(Eps->TransferBuffer[0], 0x3FFFF);
    EXPECT_TRUE(std::equal(words.begin() + 1, words.end(), Eps->TransferBuffer.begin() + 1));
    EXPECT_EQ(Trace.Text(),
              "Proc.Inp (p) Reading download data.. 769\r\n256\r\n512\r\n256\r\nOk\r\n");
    ExpectNothingSent();
}

TEST_F(ReplyParserTest, DownloadDataWithoutItsEndFails) {
    Eps->DownloadState = 8;
    Eps->DataStart = 0;
    Eps->DataEnd = 2;
    Feed(TReply().Word16(1).Word16(2).Byte(0x41).End());
    EXPECT_EQ(Eps->ProcessInput(), rrFailed);
    EXPECT_THAT(Trace.Text(), HasSubstr("\r\nNo EOX :65\r\n"));
}

TEST_F(ReplyParserTest, DownloadBlockFillingTheWholeBufferIsRead) {
    Eps->DownloadState = 8;
    Eps->DataStart = 0;
    Eps->DataEnd = TransferBufferWords;
    const std::vector<std::int32_t> words = Pattern(TransferBufferWords);
    Feed(DataMessage(words));
    EXPECT_EQ(Eps->ProcessInput(), rrData);
    EXPECT_TRUE(std::equal(words.begin(), words.end(), Eps->TransferBuffer.begin()));
}

// Acknowledged, another block's samples would be written where the asked
// ones belong, and a shorter block would leave the download waiting for
// words that never come.
TEST_F(ReplyParserTest, DownloadHeaderOfAnotherBlockIsRefusedUnacknowledged) {
    Eps->DownloadState = 6;
    AskForBlock(256, 512);
    const std::vector<std::pair<std::int32_t, std::int32_t>> others = {
        {0, 256}, {256, 400}, {256, 600}, {300, 512}, {0, 0}};
    for (const auto& [start, end] : others) {
        Feed(RangeHeader(15, 0, 1, start, end));
        EXPECT_EQ(Eps->ProcessInput(), rrUnexpectedBlock) << start << ".." << end;
    }
    ExpectNothingSent();
    EXPECT_THAT(Trace.Text(), HasSubstr("WaveSample Data -> Unexpected block :256..400\r\n"));
}

TEST_F(ReplyParserTest, DownloadBlockLargerThanTheBufferIsRefusedUnread) {
    Eps->DownloadState = 6;
    AskForBlock(0, TransferBufferWords + 1);
    Feed(RangeHeader(15, 0, 1, 0, TransferBufferWords + 1));
    EXPECT_EQ(Eps->ProcessInput(), rrFailed);
    ExpectNothingSent();

    // Backwards is no better.
    AskForBlock(600, 512);
    Feed(RangeHeader(15, 0, 1, 600, 512));
    EXPECT_EQ(Eps->ProcessInput(), rrFailed);
    ExpectNothingSent();

    // However the range came about, the data step writes nothing beyond the
    // buffer.
    Eps->TransferBuffer.fill(7);
    Eps->DownloadState = 8;
    Eps->DataStart = 100;
    Eps->DataEnd = 100 + 20000;
    Feed(DataMessage(Pattern(512)));
    EXPECT_EQ(Eps->ProcessInput(), rrFailed);
    EXPECT_EQ(std::count(Eps->TransferBuffer.begin(), Eps->TransferBuffer.end(), 7),
              TransferBufferWords);
    EXPECT_THAT(Trace.Text(), HasSubstr("Block does not fit :20000\r\n"));
}

TEST_F(ReplyParserTest, WaitForReplyListensPastNothingInOneBusySpan) {
    // A foreign message makes the first passes hear nothing at once.
    Feed(Concat({{0xF0, 0x41, 0xF7}, Response(1), Response(20)}));
    EXPECT_EQ(Eps->WaitForReply(), rrSlowDown);
    EXPECT_EQ(Owner.BeginCount, 1);
    EXPECT_EQ(Owner.Busy, 0);
}

TEST_F(ReplyParserTest, WaitForReplyGivesUpAfterItsTimeLimit) {
    Eps->ReplyTimeLimit = std::chrono::milliseconds(0);
    Feed(Concat({{0xF0, 0x41, 0xF7}, Response(0)}));
    EXPECT_EQ(Eps->WaitForReply(), rrNothing);
    EXPECT_EQ(Eps->MidiIn->InputCount(), 1u + 8);
    EXPECT_EQ(Owner.Busy, 0);
}

} // namespace
