// The download against the virtual sampler: the blocks it asks for, the
// file it writes, how it finds its wavesample, and how it ends when the user
// cancels, the sampler refuses or the sampler falls silent.
#include <sndfile.h>

#include "tests/transfer/TransferFixture.h"

#include "transfer/Download.h"

namespace {

TSamples Ramp(std::size_t count) {
    TSamples samples(count);
    for (std::size_t i = 0; i < count; ++i) {
        samples[i] = static_cast<std::int16_t>(static_cast<int>(i * 37 % 65536) - 32768);
    }
    return samples;
}

class DownloadTest : public TransferTest {};

TEST_F(DownloadTest, FetchesTheWaveSampleBlockByBlock) {
    const TSamples data = Ramp(2000);
    Place(5, 1, data, 1000, 1599);
    const std::string file = Path("part.wav");

    const TTransferReport report = Download(5, 1, file);

    EXPECT_EQ(report.Outcome, toCompleted) << report.Message;
    EXPECT_EQ(report.Message, "Saved 600 samples to " + file + ".");
    EXPECT_FALSE(report.IncompleteFile);
    const std::string trace = Trace.Text();
    EXPECT_NE(trace.find("-Download-\r\n"), std::string::npos);
    EXPECT_NE(trace.find("Size :600\r\nState :1\r\nState :2\r\nGetWaveSampleData(1000,1256)\r\n"
                         "State :3\r\n"),
              std::string::npos)
        << trace;
    EXPECT_EQ(CountLines(trace, "GetWaveSampleData(1256,1512)"), 1);
    EXPECT_NE(trace.find("GetWaveSampleData(1512,1600)\r\nState :3\r\nState :4\r\nProc.Inp"),
              std::string::npos);
    EXPECT_NE(trace.find("Last block received\r\nEnd of Download\r\n** Start of MidiIn Dump **"),
              std::string::npos);
    // The header, the samples, a "smpl" chunk without a loop and the
    // "tvwp" chunk of 139 words.
    EXPECT_EQ(FileSize(file), 44u + 1200u + 44u + 8u + 4u + 278u);
    EXPECT_EQ(SamplesOfWaveFile(file), TSamples(data.begin() + 1000, data.begin() + 1600));
    // A new wavesample's period of 21 ticks.
    EXPECT_EQ(RateOfWaveFile(file), 625000u / 21);
    ASSERT_EQ(FrontEnd.Progress.size(), 3u);
    EXPECT_EQ(FrontEnd.Progress[0].second, 42.0f);
    EXPECT_EQ(FrontEnd.Progress[1].second, 85.0f);
    EXPECT_EQ(FrontEnd.Progress[2].second, 100.0f);
    EXPECT_GE(FrontEnd.Progress[2].first, 0.0f);
    EXPECT_EQ(FrontEnd.Caption, "Downloading...");
    EXPECT_FALSE(FrontEnd.Showing);
    EXPECT_EQ(Eps->DownloadState, 0);
    EXPECT_EQ(UploadDownloadPath, Folder.string());
    EXPECT_EQ(FrontEnd.Reports.size(), 1u);
}

TEST_F(DownloadTest, TakesTheOpenWaveSampleWithoutTheBrowser) {
    ASSERT_TRUE(Eps->CheckConnection());
    Eps->Instrument = 1;
    Eps->WaveSample = 2;
    ASSERT_EQ(Eps->OpenWavesample(true), orOpened);
    FrontEnd.File = Path("rim.wav");
    UploadDownloadPath = "/start/here";

    TDownload download(*Eps, FrontEnd, UploadDownloadPath);
    const TTransferReport report = download.Run();

    EXPECT_EQ(report.Outcome, toCompleted) << report.Message;
    EXPECT_EQ(FrontEnd.TargetChoices, 0);
    EXPECT_EQ(FrontEnd.InitialFolder, "/start/here");
    EXPECT_TRUE(Eps->WaveSampleOpen);
    // The end address is the last sample's.
    const std::int32_t size = Eps->GetSampleAddress(wpSampleEnd) + 1;
    EXPECT_EQ(SamplesOfWaveFile(FrontEnd.File), DataOf(1, 2, 0, static_cast<std::size_t>(size)));
}

TEST_F(DownloadTest, AskesAgainWhenTheChosenWaveSampleCannotBeRead) {
    FrontEnd.Targets = {{2, 1}, {1, 2}};
    FrontEnd.File = Path("second.wav");
    TDownload download(*Eps, FrontEnd, UploadDownloadPath);

    EXPECT_EQ(download.Run().Outcome, toCompleted);
    EXPECT_EQ(FrontEnd.TargetChoices, 2);
    EXPECT_FALSE(Eps->WaveSampleOpen);
}

TEST_F(DownloadTest, CancellingTheBrowserEndsBeforeTheFileDialog) {
    TDownload download(*Eps, FrontEnd, UploadDownloadPath);
    const TTransferReport report = download.Run();
    EXPECT_EQ(report.Outcome, toNotStarted);
    EXPECT_EQ(FrontEnd.FileChoices, 0);
    ASSERT_EQ(FrontEnd.Reports.size(), 1u);
}

TEST_F(DownloadTest, AWaveSampleWithoutSamplesIsRefusedBeforeAnyFile) {
    Place(5, 1, Ramp(10), 4, 3);
    const std::string file = Path("empty.wav");

    const TTransferReport report = Download(5, 1, file);

    EXPECT_EQ(report.Outcome, toFailed);
    EXPECT_EQ(report.Message,
              "Nothing to download: instrument 6, wavesample 1 holds no samples (start 4, end 3).");
    EXPECT_EQ(FrontEnd.FileChoices, 0);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(Trace.Text().find("Size :"), std::string::npos);
}

TEST_F(DownloadTest, AWaveSampleWithoutRateIsRefused) {
    Place(5, 1, Ramp(600), 0, 500);
    Sampler().Inspect([](TSamplerModel& model) {
        model.Instrument(5)->WaveSample(1)->Parameters[TWaveSample::PeriodWord] = 0;
    });
    const TTransferReport report = Download(5, 1, Path("norate.wav"));
    EXPECT_EQ(report.Outcome, toFailed);
    EXPECT_NE(report.Message.find("no sample rate"), std::string::npos) << report.Message;
}

// Another tool's reader (libsndfile) finds the root key and, in a loop mode,
// the loop in frames of the file, its end the loop's last frame.
TEST_F(DownloadTest, OtherToolsReadTheRootKeyAndTheLoop) {
    struct TCase {
        int Mode;
        int Loops;
        int LoopMode;
    };
    const std::vector<TCase> cases = {
        {0, 0, 0}, {2, 1, SF_LOOP_FORWARD}, {3, 1, SF_LOOP_ALTERNATING}, {4, 1, SF_LOOP_FORWARD}};
    for (const TCase& c : cases) {
        Place(5, 1, Ramp(2000), 100, 1099);
        Sampler().Inspect([&](TSamplerModel& model) {
            TWaveSample& waveSample = *model.Instrument(5)->WaveSample(1);
            waveSample.SetAddress(TWaveSample::LoopStartWord, 300);
            waveSample.SetAddress(TWaveSample::LoopEndWord, 899);
            waveSample.SetHigh(TWaveSample::PlaybackModeWord, c.Mode);
            waveSample.SetHigh(TWaveSample::RootKeyWord, 48);
        });
        const std::string file = Path("looped.wav");
        ASSERT_EQ(Download(5, 1, file).Outcome, toCompleted);

        SF_INFO info{};
        SNDFILE* sound = sf_open(file.c_str(), SFM_READ, &info);
        ASSERT_NE(sound, nullptr) << sf_strerror(nullptr);
        SF_INSTRUMENT instrument{};
        EXPECT_EQ(sf_command(sound, SFC_GET_INSTRUMENT, &instrument, sizeof instrument), SF_TRUE);
        sf_close(sound);
        EXPECT_EQ(info.frames, 1000);
        EXPECT_EQ(instrument.basenote, 48);
        ASSERT_EQ(instrument.loop_count, c.Loops) << c.Mode;
        if (c.Loops > 0) {
            EXPECT_EQ(instrument.loops[0].mode, c.LoopMode);
            EXPECT_EQ(instrument.loops[0].start, 200u);
            EXPECT_EQ(instrument.loops[0].end, 800u);
        }
    }
}

TEST_F(DownloadTest, CancelInAWaitStateKeepsTheBlocksThatCame) {
    Place(5, 1, Ramp(2000), 0, 1023);
    FrontEnd.OnEvents = [&] {
        if (Eps->DownloadState == 5 && FrontEnd.Progress.size() == 2) {
            FrontEnd.CancelRequested = true;
        }
    };
    const std::string file = Path("cancelled.wav");

    const TTransferReport report = Download(5, 1, file);

    EXPECT_EQ(report.Outcome, toCancelled);
    EXPECT_TRUE(report.IncompleteFile);
    EXPECT_EQ(report.Message,
              "The download was cancelled; " + file + " is incomplete (512 of 1024 samples).");
    const std::string trace = Trace.Text();
    EXPECT_NE(trace.find("User pressed Cancel\r\nState :0\r\nEnd of Download\r\n"),
              std::string::npos)
        << trace;
    // A valid WAVE file of the samples that came.
    EXPECT_EQ(AnnouncedSamplesOfWaveFile(file), 512u);
    EXPECT_EQ(SamplesOfWaveFile(file), DataOf(5, 1, 0, 512));
    EXPECT_EQ(Eps->DownloadState, 0);
    EXPECT_FALSE(FrontEnd.Showing);
}

// The window tells of the silence once a second from the second on,
// instead of a time estimate that stands still.
TEST_F(DownloadTest, ASamplerThatFallsSilentIsShownWaitingAndStopsTheDownload) {
    Place(5, 1, Ramp(2000), 0, 1023);
    FrontEnd.OnEvents = [&] {
        if (FrontEnd.Progress.size() == 1) {
            Sampler().SetFaults({.Silent = true});
        }
    };
    const std::string file = Path("silent.wav");
    TDownload download(*Eps, FrontEnd, UploadDownloadPath);
    download.SilenceLimit = std::chrono::milliseconds(3100);
    FrontEnd.Targets = {{5, 1}};
    FrontEnd.File = file;

    const TTransferReport report = download.Run();

    EXPECT_EQ(FrontEnd.Stalls, (std::vector<int>{2, 3}));
    EXPECT_EQ(report.Outcome, toNoAnswer);
    EXPECT_TRUE(report.IncompleteFile);
    EXPECT_EQ(report.Message, "The sampler sent nothing for 3100 ms; the download was stopped; " +
                                  file + " is incomplete (256 of 1024 samples).");
    EXPECT_NE(Trace.Text().find("State :3\r\nNo answer for 3100 ms\r\nEnd of Download"),
              std::string::npos);
    EXPECT_EQ(FileSize(file), 44u + 512u);
}

TEST_F(DownloadTest, ARefusalStopsTheDownloadAndIsReported) {
    // Instrument 1's wavesample 2 is a parameters-only copy: the sampler
    // reads its parameters but refuses its data.
    const std::string file = Path("copy.wav");
    const TTransferReport report = Download(0, 2, file);

    EXPECT_EQ(report.Outcome, toRefused);
    EXPECT_EQ(report.Reply, rrFailed);
    EXPECT_TRUE(report.IncompleteFile);
    EXPECT_NE(report.Message.find("The sampler stopped the download"), std::string::npos);
    EXPECT_EQ(FrontEnd.Warnings, std::vector<std::string>{"WaveSample is a Copy"});
    EXPECT_EQ(FileSize(file), 44u);
}

TEST_F(DownloadTest, AFileThatCannotBeCreatedIsReported) {
    const std::string file = Path("no/such/folder/x.wav");
    const TTransferReport report = Download(1, 1, file);
    EXPECT_EQ(report.Outcome, toFailed);
    EXPECT_EQ(report.Message, "Cannot create " + file + ".");
    EXPECT_EQ(CountLines(Trace.Text(), "Unable to write download file " + file), 1);
}

} // namespace
