// A backup that the sampler falls silent in part-way, made with the
// command-line tool over an older backup of the same instrument: the folder
// still holds the older backup whole, and a restore rebuilds the instrument
// as that backup held it, never as a mix of the two.
#include <gmock/gmock.h>

#include <filesystem>

#include "tests/faults/SocketSampler.h"
#include "tests/support/RestoredInstrument.h"
#include "tests/transfer/ChildProcess.h"

namespace {

using ::testing::HasSubstr;

class BackupFaultTest : public SocketSamplerTest {};

TEST_F(BackupFaultTest, AnInterruptedBackupLeavesTheOlderOneWhole) {
    const std::string folder = Path("drums");
    ASSERT_EQ(RunTool({"backup", "2", folder}), 0) << ReadTextFile(Path("errors.txt"));
    TInstrument older;
    // Both drums change in the sampler, so that a file of the new backup
    // beside the older manifest would show.
    Remote().Sampler.Inspect([&](TSamplerModel& model) {
        older = *model.Instrument(1);
        for (int n : {1, 2}) {
            std::vector<std::int16_t>& data = model.Instrument(1)->WaveSample(n)->Data;
            std::fill(data.begin(), data.end(), static_cast<std::int16_t>(1000 * n));
        }
    });
    int blocks = 0;
    Remote().Sampler.SetLog([&](const std::string& line) {
        if (line.starts_with("GetWaveSampleData") && ++blocks == 3) {
            Remote().Sampler.SetFaults({.Silent = true});
        }
    });

    // The tool waits out its 30 s silence limit once.
    EXPECT_EQ(RunTool({"backup", "2", folder}), 1);
    const std::string errors = ReadTextFile(Path("errors.txt"));
    EXPECT_THAT(errors, HasSubstr("What it saved is in " + folder +
                                  ".incomplete, which no restore reads. The earlier backup in " +
                                  folder + " is as it was."));
    EXPECT_FALSE(std::filesystem::exists(folder + ".incomplete/instrument.json"));
    Remote().Sampler.SetLog([](const std::string&) {});
    Mend();

    Remote().Sampler.Inspect([](TSamplerModel& model) { model.Clear(); });
    ASSERT_EQ(RunTool({"restore", folder}), 0) << ReadTextFile(Path("errors.txt"));
    Remote().Sampler.Inspect([&](TSamplerModel& model) {
        ASSERT_NE(model.Instrument(1), nullptr);
        ExpectRestored(*model.Instrument(1), older, 1);
    });
}

} // namespace
