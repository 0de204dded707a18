// The download and the upload with the sampler misbehaving from each state of
// their tables on: each ends within its bounds, tells what happened, never
// calls a failed transfer complete, leaves a download's file recognisably
// incomplete, and leaves the engine able to run the same transfer again.
#include <gmock/gmock.h>

#include <algorithm>
#include <tuple>

#include "tests/faults/FaultFixture.h"

namespace {

using ::testing::HasSubstr;

constexpr int BlockWords = 256;
constexpr int Blocks = 3;
constexpr std::size_t SampleCount = BlockWords * Blocks;
constexpr std::uintmax_t WaveHeaderBytes = 44;
// A transfer that stops does so after at most a silence limit and a few
// reads that each give up after 1 s.
constexpr auto Bound = std::chrono::seconds(8);

TSamples Wave() {
    TSamples samples(SampleCount);
    for (std::size_t i = 0; i < SampleCount; ++i) {
        samples[i] = static_cast<std::int16_t>(static_cast<int>(i * 911 % 65536) - 32768);
    }
    return samples;
}

using TCase = std::tuple<TFaultKind, int>;

std::string CaseName(const ::testing::TestParamInfo<TCase>& info) {
    return NameOf(std::get<0>(info.param)) + "AtState" + std::to_string(std::get<1>(info.param));
}

class TransferFaultTest : public FaultTest, public ::testing::WithParamInterface<TCase> {
protected:
    void SetUp() override {
        FaultTest::SetUp();
        Eps->SetBlockSize(BlockWords);
    }

    TFaultKind Kind() const { return std::get<0>(GetParam()); }
    int State() const { return std::get<1>(GetParam()); }

    // The transfer ends within its bounds and leaves the engine and the
    // progress window as they were before it.
    template <typename TTransfer> TTransferReport Bounded(TTransfer transfer) {
        TTransferReport report;
        EXPECT_LT(Timed([&] { report = transfer(); }), Bound);
        EXPECT_FALSE(FrontEnd.Showing);
        EXPECT_EQ(Eps->DownloadState, 0);
        EXPECT_EQ(Eps->UploadState, 0);
        return report;
    }

    TTransferReport DownloadTo(const std::string& file) {
        return Bounded([&] { return Download(5, 1, file); });
    }

    // Instrument 7 does not exist: the upload creates the instrument, its
    // layer and wavesample 1 on the way, and then names the instrument.
    TTransferReport UploadFrom(const std::string& file) {
        return Bounded([&] { return Upload(file, 6, 1); });
    }
};

// A failed download says so and leaves a valid WAVE file of only the samples
// that came, unchanged.
void ExpectTruthfulDownload(const TTransferReport& report, const std::string& file,
                            const TSamples& wave) {
    const TSamples got = SamplesOfWaveFile(file);
    if (report.Outcome == toCompleted) {
        EXPECT_FALSE(report.IncompleteFile);
        EXPECT_EQ(got, wave);
        return;
    }
    EXPECT_THAT(report.Outcome, ::testing::AnyOf(toRefused, toNoAnswer));
    EXPECT_TRUE(report.IncompleteFile);
    EXPECT_THAT(report.Message, HasSubstr(file + " is incomplete"));
    EXPECT_LT(FileSize(file), WaveHeaderBytes + 2 * SampleCount);
    EXPECT_EQ(AnnouncedSamplesOfWaveFile(file), got.size());
    ASSERT_LE(got.size(), wave.size());
    EXPECT_EQ(got, TSamples(wave.begin(), wave.begin() + static_cast<std::ptrdiff_t>(got.size())));
}

class DownloadFaultTest : public TransferFaultTest {};

TEST_P(DownloadFaultTest, EndsTruthfullyAndTheNextDownloadWorks) {
    const TSamples wave = Wave();
    Place(5, 1, wave, 0, SampleCount - 1);
    ArmAt(Eps->DownloadState, State(), Kind());

    const std::string file = Path("faulty.wav");
    const TTransferReport report = DownloadTo(file);
    EXPECT_TRUE(Armed());
    ExpectTruthfulDownload(report, file, wave);

    Heal();
    FrontEnd.OnEvents = nullptr;
    const std::string again = Path("again.wav");
    const TTransferReport next = DownloadTo(again);
    EXPECT_EQ(next.Outcome, toCompleted) << next.Message;
    EXPECT_EQ(SamplesOfWaveFile(again), wave);
}

// A sampler that answers a block request with half the block: the header is
// refused unacknowledged and the download stops at once, saying why, instead
// of waiting out the silence limit for words that never come.
TEST_F(DownloadFaultTest, ABlockOfAnotherRangeStopsTheDownloadUnacknowledged) {
    Place(5, 1, Wave(), 0, SampleCount - 1);
    Sampler().SetFaults({.HalfBlocks = true});
    const std::string file = Path("half.wav");
    const TTransferReport report = DownloadTo(file);
    EXPECT_EQ(report.Outcome, toRefused);
    EXPECT_EQ(report.Reply, rrUnexpectedBlock);
    EXPECT_EQ(report.Message, "The sampler sent a block other than the one asked for; the "
                              "download was stopped; " +
                                  file + " is incomplete (0 of 768 samples).");
    EXPECT_TRUE(SamplerLog("Ack -> data of 128 words").empty());
}

INSTANTIATE_TEST_SUITE_P(EveryState, DownloadFaultTest,
                         ::testing::Combine(::testing::ValuesIn(AllFaults), ::testing::Range(1, 9)),
                         CaseName);

class UploadFaultTest : public TransferFaultTest {
protected:
    void WriteWave(const std::string& file, const TSamples& wave) {
        std::vector<std::uint8_t> bytes;
        for (std::int16_t sample : wave) {
            bytes.push_back(static_cast<std::uint8_t>(sample & 0xFF));
            bytes.push_back(static_cast<std::uint8_t>((sample >> 8) & 0xFF));
        }
        WriteWaveFile(file, 1, 16, 31250, bytes);
    }

    // A complete upload put every sample where it belongs; one that did not
    // complete says how far it came.
    void ExpectTruthfulUpload(const TTransferReport& report, const TSamples& wave) {
        if (report.Outcome == toCompleted) {
            EXPECT_EQ(DataOf(6, 1, 0, SampleCount), wave);
            return;
        }
        EXPECT_THAT(report.Outcome, ::testing::AnyOf(toRefused, toNoAnswer));
        EXPECT_THAT(report.Message, HasSubstr(" of 768 samples sent to instrument 7"));
    }
};

TEST_P(UploadFaultTest, EndsTruthfullyAndTheNextUploadWorks) {
    const TSamples wave = Wave();
    const std::string file = Path("wave.wav");
    WriteWave(file, wave);
    ArmAt(Eps->UploadState, State(), Kind());

    const TTransferReport report = UploadFrom(file);
    EXPECT_TRUE(Armed());
    ExpectTruthfulUpload(report, wave);

    Heal();
    FrontEnd.OnEvents = nullptr;
    const TTransferReport next = UploadFrom(file);
    EXPECT_EQ(next.Outcome, toCompleted) << next.Message;
    EXPECT_EQ(DataOf(6, 1, 0, SampleCount), wave);
    EXPECT_EQ(InstrumentNameOf(6), "WAVE");
}

// A sampler that acknowledges every create request and creates nothing:
// each repair is made once for the block, then the upload stops and says so,
// instead of creating until the sampler's memory is full.
TEST_F(UploadFaultTest, ARepairThatDoesNotHelpIsMadeOnce) {
    const std::string file = Path("wave.wav");
    WriteWave(file, Wave());
    Sampler().Inspect([](TSamplerModel& model) { model.CreateInstrument(6); });
    Sampler().SetFaults({.IgnoreCreates = true});
    // Without a bound the upload would go on for ever; this ends it.
    FrontEnd.OnEvents = [&] { FrontEnd.CancelRequested = SamplerLog("Create").size() > 9; };
    struct TCase {
        int Instrument;
        int WaveSample;
        std::string Request;
        std::string Made;
        std::string Left;
    };
    const std::vector<TCase> cases = {
        {7, 1, "CreateInstrument", "instrument", "Instrument 8"},
        {6, 1, "CreateLayer", "layer", "Wavesample 1 of instrument 7"},
        {0, 3, "CreateWaveSample", "wavesample", "Wavesample 3 of instrument 1"}};
    for (const TCase& c : cases) {
        const TTransferReport report =
            Bounded([&] { return Upload(file, c.Instrument, c.WaveSample); });
        EXPECT_EQ(report.Outcome, toRefused) << c.Made;
        EXPECT_EQ(report.Message, "The sampler took the new " + c.Made +
                                      " but refused the block again; the upload was stopped "
                                      "after 0 of 768 samples sent to instrument " +
                                      std::to_string(c.Instrument + 1) + ", wavesample " +
                                      std::to_string(c.WaveSample) + ". " + c.Left +
                                      " was created for the upload and holds no samples.");
        EXPECT_EQ(SamplerLog(c.Request).size(), 1u) << c.Made;
    }
}

// At MIDI speed the sampler answers what a transfer sent last only once the
// cable has carried it, which may be after the transfer gave up waiting: by
// a Cancel or by its own silence limit. The next exchange, the browser's
// directory read, gets its own answers all the same.
TEST_F(FaultTest, ALateAnswerToAGivenUpTransferIsNotTakenForTheNextExchange) {
    TSamplerOptions options;
    options.DemoBank = false;
    options.Timing.Baud = 31250;
    Restart(options);
    // One block of about 0.7 s on the cable each way.
    Eps->SetBlockSize(static_cast<int>(SampleCount));
    const TSamples wave = Wave();
    // The instrument the directory read asks for first.
    Place(0, 1, wave, 0, SampleCount);
    const std::string file = Path("late.wav");
    WriteWaveFile(file, 1, 16, 31250,
                  std::vector<std::uint8_t>(2 * SampleCount, static_cast<std::uint8_t>(7)));
    struct TCase {
        const char* Name;
        bool Upload;
        // The state whose pass gives up; 0 to wait out the silence limit.
        int CancelAt;
        TTransferOutcome Outcome;
    };
    const TCase cases[] = {
        {"upload cancelled while its block is on the cable", true, 7, toCancelled},
        {"upload that stops hearing nothing while its block is on the cable", true, 0, toNoAnswer},
        {"download cancelled while its block comes in", false, 7, toCancelled},
        {"download cancelled before its request is answered", false, 3, toCancelled},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const int& state = c.Upload ? Eps->UploadState : Eps->DownloadState;
        FrontEnd.OnEvents = [&] { FrontEnd.CancelRequested = state == c.CancelAt; };
        const TTransferReport report =
            c.Upload ? Upload(file, 0, 1) : Download(0, 1, Path("late-download.wav"));
        FrontEnd.OnEvents = nullptr;
        EXPECT_EQ(report.Outcome, c.Outcome) << report.Message;

        EXPECT_TRUE(Eps->ReadConfiguration());
        EXPECT_EQ(Eps->UnreadInstrument, -1);
        EXPECT_EQ(std::count(Eps->InstrumentPresent.begin(), Eps->InstrumentPresent.end(), true),
                  1);
        EXPECT_TRUE(Eps->InstrumentPresent[0]);
        EXPECT_EQ(Eps->FirstFreeWaveSample[0], 1);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryState, UploadFaultTest,
                         ::testing::Combine(::testing::ValuesIn(AllFaults),
                                            ::testing::Range(1, 25)),
                         CaseName);

} // namespace
