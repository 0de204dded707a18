// The sampler garbles its answer for one loaded instrument while the
// command-line tool reads the directory. Taking that instrument for an
// empty slot would list the sampler with it missing and aim an upload to
// `new` at its first wavesample; the tool names the instrument and exits 1
// instead, and the instrument stays as it was.
#include <gmock/gmock.h>

#include "tests/faults/SocketSampler.h"
#include "tests/support/SamplerPlacement.h"
#include "tests/transfer/ChildProcess.h"

namespace {

using ::testing::StartsWith;

class DirectoryFaultTest : public SocketSamplerTest {};

TEST_F(DirectoryFaultTest, AnInstrumentThatCannotBeReadIsNeverTakenForAFreeSlot) {
    // Instrument 4 of the demo bank is loaded; its parameter block comes as
    // rubbish.
    Remote().Sampler.SetLog([this](const std::string& line) {
        if (line.starts_with("GetInstrumentParameters 3/")) {
            Remote().Sampler.SetFaults({.Garbage = true});
        }
    });
    const auto held = [this] {
        TWaveSample waveSample;
        Remote().Sampler.Inspect(
            [&](TSamplerModel& model) { waveSample = *model.Instrument(3)->WaveSample(1); });
        return waveSample.Data;
    };
    const TSamples before = held();
    const std::string file = Path("new.wav");
    WriteWaveFile(file, 1, 16, 44100, std::vector<std::uint8_t>(2000, 0x11));

    // Each run waits out the tool's 10 s byte time-out once.
    const std::vector<std::vector<std::string>> commands = {{"list"}, {"upload", file, "4", "new"}};
    for (const auto& command : commands) {
        EXPECT_EQ(RunTool(command), 1) << command.front();
        EXPECT_THAT(ReadTextFile(Path("errors.txt")),
                    StartsWith("tavimor-cli: instrument 4 could not be read ("))
            << command.front();
        Mend();
    }
    EXPECT_EQ(held(), before);
}

} // namespace
