// The unix: connection to a standalone sampler drops in the middle of an
// exchange: the operation ends within its bounds and says so, the download's
// file is marked incomplete, and the connection check opens the line afresh
// so that the user's Retry, or the next command, reaches the sampler again.
#include <gmock/gmock.h>

#include "tests/faults/SocketSampler.h"
#include "tests/support/SamplerPlacement.h"
#include "tests/transfer/ChildProcess.h"

namespace {

using ::testing::HasSubstr;

// Answers the connection dialog with Retry as often as it is told to.
class TRetryingDialogs : public TEpsDialogs {
public:
    int Retries = 0;
    int Shown = 0;
    TModalResult ShowConnectionFailure(NoEpsReason) override {
        ++Shown;
        return Shown <= Retries ? mrRetry : mrCancel;
    }
    void ShowWarning(std::string_view, TMessageCaption) override {}
};

constexpr std::size_t SampleCount = 768;

class ConnectionDropTest : public SocketSamplerTest {
protected:
    void SetUp() override {
        SocketSamplerTest::SetUp();
        Eps->SetDialogs(&Dialogs);
        Eps->SetBlockSize(256);
        Remote().Sampler.Inspect([](TSamplerModel& model) {
            PlaceWaveSample(model, 5, 1, TSamples(SampleCount, 1234), 0, SampleCount - 1);
        });
    }

    // Cuts the line the next time the sampler sends anything.
    void DropNow() { Remote().Sampler.SetFaults({.DropAfterBytes = 1}); }

    TRetryingDialogs Dialogs;
};

TEST_F(ConnectionDropTest, ADownloadCutOffIsReportedAndRetryReconnects) {
    bool cut = false;
    FrontEnd.OnEvents = [&] {
        if (FrontEnd.Progress.size() == 1 && !cut) {
            cut = true;
            DropNow();
        }
    };
    const std::string file = Path("cut.wav");
    const TTransferReport report = Download(5, 1, file);
    EXPECT_EQ(report.Outcome, toNoAnswer) << report.Message;
    EXPECT_TRUE(report.IncompleteFile);
    EXPECT_THAT(report.Message, HasSubstr(file + " is incomplete (256 of 768 samples)"));
    EXPECT_EQ(FileSize(file), 44u + 2 * 256);

    // The line is dead: the connection check finds no answer, opens the
    // ports afresh when the user answers Retry, and the sampler is back.
    Mend();
    FrontEnd.OnEvents = nullptr;
    Dialogs.Retries = 1;
    const std::string again = Path("again.wav");
    const TTransferReport next = Download(5, 1, again);
    EXPECT_EQ(Dialogs.Shown, 1);
    EXPECT_EQ(next.Outcome, toCompleted) << next.Message;
    EXPECT_EQ(SamplesOfWaveFile(again), TSamples(SampleCount, 1234));
}

TEST_F(ConnectionDropTest, AnOpenCutOffFailsAndRetryReconnects) {
    ASSERT_TRUE(Eps->CheckConnection());
    Eps->Instrument = 5;
    Eps->WaveSample = 1;
    DropNow();
    EXPECT_LT(Timed([&] { EXPECT_EQ(Eps->OpenWavesample(true), orFailed); }),
              std::chrono::seconds(8));
    EXPECT_FALSE(Eps->WaveSampleOpen);

    Mend();
    Dialogs.Retries = 1;
    EXPECT_TRUE(Eps->CheckConnection());
    EXPECT_EQ(Dialogs.Shown, 1);
    EXPECT_EQ(Eps->OpenWavesample(true), orOpened);
}

// The command-line tool, a program of its own, on the same line: the line
// drops while the second block of a download is on its way. The tool waits
// out its silence limit (30 s), says why it stopped and that the file is
// incomplete, and exits with 1.
TEST_F(ConnectionDropTest, TheCommandLineToolReportsADroppedDownload) {
    Remote().Sampler.SetLog([this](const std::string& line) {
        if (line.find("GetWaveSampleData") == 0 && line.find("256..512") != std::string::npos) {
            DropNow();
        }
    });
    const std::string file = Path("cli.wav");
    EXPECT_EQ(RunTool({"--block-size", "256", "download", "6", "1", file}), 1);
    const std::string errors = ReadTextFile(Path("errors.txt"));
    EXPECT_THAT(errors, HasSubstr("sent nothing"));
    EXPECT_THAT(errors, HasSubstr("incomplete"));
    EXPECT_LT(FileSize(file), 44u + 2 * SampleCount);
}

} // namespace
