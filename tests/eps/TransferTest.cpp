// Block exchanges of downloads and uploads, stepped as the transfer
// workflows step them, end to end against the virtual sampler.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "tests/eps/SamplerFixture.h"

namespace {

using ::testing::ElementsAre;

// Download steps in which the parser reads a data header, then its data.
constexpr int HeaderStep = 6;
constexpr int DataStep = 8;

class TransferTest : public SamplerTest {
protected:
    void SetUp() override {
        SamplerTest::SetUp();
        ASSERT_TRUE(Eps->CheckConnection());
    }

    // The samples [start, end) of the current wavesample, block by block.
    std::vector<std::int16_t> Download(std::int32_t start, std::int32_t end) {
        std::vector<std::int16_t> samples;
        for (std::int32_t block = start; block < end;) {
            const std::int32_t blockEnd = std::min(block + Eps->BlockSize(), end);
            if (!DownloadBlock(block, blockEnd)) {
                break;
            }
            for (std::int32_t i = 0; i < blockEnd - block; ++i) {
                samples.push_back(static_cast<std::int16_t>(Eps->TransferBuffer[i] & 0xFFFF));
            }
            block = blockEnd;
        }
        Eps->DownloadState = 0;
        return samples;
    }

    bool DownloadBlock(std::int32_t start, std::int32_t end) {
        Eps->DownloadState = 2;
        Eps->GetWaveSampleData(start, end);
        WaitForInput(8);
        EXPECT_EQ(Eps->ProcessInput(), rrAck);
        WaitForInput(20);
        Eps->DownloadState = HeaderStep;
        EXPECT_EQ(Eps->ProcessInput(), rrDataHeader);
        EXPECT_EQ(Eps->DataStart, start);
        EXPECT_EQ(Eps->DataEnd, end);
        WaitForInput(static_cast<std::uint32_t>(3 * (end - start) + 5));
        Eps->DownloadState = DataStep;
        return Eps->ProcessInput() == rrData;
    }

    // One block into [start, start + words), repairing what the sampler
    // refuses; the sampler's answer to the data.
    TReplyResult UploadBlock(std::int32_t start, std::span<const std::int32_t> words) {
        std::copy(words.begin(), words.end(), Eps->TransferBuffer.begin());
        const auto end = static_cast<std::int32_t>(start + words.size());
        for (;;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(Eps->Delay()));
            Eps->SendWaveSampleDataHeader(start, end);
            const TReplyResult answer = Answer();
            if (answer == rrAck) {
                break;
            }
            if (!Repair(answer)) {
                return answer;
            }
        }
        Eps->SendWaveSampleData(std::span(Eps->TransferBuffer.data(), words.size()));
        return Answer();
    }

    bool Repair(TReplyResult refusal) {
        switch (refusal) {
        case rrNoInstrument:
            Eps->CreateInstrument();
            if (Answer() != rrAck) {
                return false;
            }
            Eps->SelectInstrument();
            return true;
        case rrNoLayer:
            Eps->WaveSample = 1;
            Eps->CreateLayer();
            return Answer() == rrAck;
        case rrInvalidWaveSample:
            Eps->CreateWaveSample();
            return Answer() == rrAck;
        case rrSlowDown:
            Eps->SetDelay(Eps->Delay() + 100);
            return true;
        default:
            return false;
        }
    }

    TReplyResult Answer() {
        WaitForInput(8);
        return Eps->ProcessInput();
    }

    // Uploads samples in blocks of BlockSize words, then the parameters.
    void Upload(const std::vector<std::int32_t>& samples) {
        Eps->UploadState = 1;
        Eps->ResetWaveSampleParameters();
        Eps->SetSampleAddress(wpSampleEnd, static_cast<std::int32_t>(samples.size() - 1));
        for (std::size_t block = 0; block < samples.size();) {
            const std::size_t count = std::min<std::size_t>(
                static_cast<std::size_t>(Eps->BlockSize()), samples.size() - block);
            ASSERT_EQ(UploadBlock(static_cast<std::int32_t>(block),
                                  std::span(samples).subspan(block, count)),
                      rrAck);
            block += count;
        }
        Eps->SendWaveSampleParametersHeader();
        ASSERT_EQ(Answer(), rrAck);
        Eps->SendWaveSampleParameterData();
        EXPECT_EQ(Answer(), rrAck);
        Eps->UploadState = 0;
    }

    static std::vector<std::int32_t> Tone(std::size_t count) {
        std::vector<std::int32_t> samples(count);
        for (std::size_t i = 0; i < count; ++i) {
            samples[i] = static_cast<std::int32_t>(i % 200) * 300 - 30000;
        }
        return samples;
    }
};

std::vector<std::int32_t> Widened(const std::vector<std::int16_t>& data) {
    return {data.begin(), data.end()};
}

TEST_F(TransferTest, DownloadComesBlockByBlock) {
    Eps->Instrument = 1;
    Eps->WaveSample = 2;
    ASSERT_EQ(Eps->OpenWavesample(false), orOpened);
    NewMessages();
    const std::int32_t end = Eps->GetSampleAddress(wpSampleEnd) + 1;
    ASSERT_EQ(end, 400);
    EXPECT_EQ(Download(0, end), WaveSampleAt(1, 2).Data);

    std::vector<TBytes> requests = NewMessages();
    std::erase_if(requests, [](const TBytes& m) { return CodeOf(m) != 0x06; });
    EXPECT_THAT(requests,
                ElementsAre(RangeRequest(0x06, 1, 2, 0, 256), RangeRequest(0x06, 1, 2, 256, 400)));
}

TEST_F(TransferTest, DownloadInTheLargestBlocks) {
    Eps->SetBlockSize(MaxBlockSize);
    const std::vector<std::int16_t> data = WaveSampleAt(0, 1).Data;
    EXPECT_EQ(Download(0, static_cast<std::int32_t>(data.size())), data);
}

TEST_F(TransferTest, UploadCreatesWhatIsMissing) {
    // Instrument 2 is empty: the instrument, its layer and the wavesample
    // are made one refusal after the other, and the block goes again.
    Eps->Instrument = 2;
    Eps->WaveSample = 4;
    const std::vector<std::int32_t> samples = Tone(600);
    NewMessages();
    Upload(samples);
    std::vector<std::uint8_t> codes;
    for (const TBytes& message : NewMessages()) {
        if (message.size() < 100) {
            codes.push_back(CodeOf(message));
        }
    }
    EXPECT_THAT(codes, ElementsAre(0x0F, 0x15, 0x0F, 0x16, 0x0F, 0x19, 0x0F, 0x0F, 0x0F, 0x0E));
    EXPECT_EQ(Eps->WaveSample, 1);
    EXPECT_TRUE(Dialogs.Warnings.empty());
    EXPECT_EQ(Widened(WaveSampleAt(2, 1).Data), samples);
    EXPECT_EQ(WaveSampleAt(2, 1).Address(TWaveSample::EndWord), 599u);

    EXPECT_TRUE(Eps->RenameInstrument(2, "tone"));
    EXPECT_TRUE(Eps->ReadConfiguration());
    EXPECT_EQ(Eps->InstrumentName[2], "Tone");
}

TEST_F(TransferTest, UploadIntoAFreeSlotCreatesTheWavesample) {
    Eps->Instrument = 0;
    Eps->WaveSample = 3;
    const std::vector<std::int32_t> samples = Tone(300);
    Upload(samples);
    EXPECT_EQ(Eps->WaveSample, 3);
    EXPECT_EQ(Widened(WaveSampleAt(0, 3).Data), samples);
}

TEST_F(TransferTest, UploadSlowsDownWhenTheSamplerAsksForTime) {
    TSamplerOptions options;
    options.Timing.BlockPerWord = std::chrono::microseconds(200);
    Restart(options);
    ASSERT_TRUE(Eps->CheckConnection());
    Eps->Instrument = 1;
    Eps->WaveSample = 2;
    const std::vector<std::int32_t> samples = Tone(1000);
    Upload(samples);
    // Each block of 256 words takes the sampler about 51 ms to store.
    EXPECT_GE(Eps->Delay(), 100);
    EXPECT_EQ(Widened(WaveSampleAt(1, 2).Data), samples);
}

} // namespace
