// tavimor-cli run as a user runs it, as a program of its own: its commands
// against the built-in virtual sampler and against the standalone one over
// unix:, what it prints, and its exit status.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/Utf8.h"
#include "tests/support/Eventually.h"
#include "tests/support/TempFolder.h"
#include "tests/transfer/ChildProcess.h"
#include "tests/transfer/VirtualEpsServer.h"

namespace {

// What the tool wrote, with the line ends of Windows' text mode (CR LF) as
// the plain LF the other systems write.
std::string OutputText(const std::string& file) {
    std::string text = ReadTextFile(file);
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) {
        text.erase(at, 1);
    }
    return text;
}

struct TRun {
    int Status = -1;
    std::string Output;
    std::string Errors;
};

class CliTest : public ::testing::Test {
protected:
    void SetUp() override { Folder = MakeTempFolder("tavimor-cli-test"); }
    void TearDown() override { std::filesystem::remove_all(Folder); }

    // The tool with these arguments, its settings kept in the test's folder.
    TRun Run(const std::vector<std::string>& arguments) {
        std::vector<std::string> command = {TAVIMOR_CLI};
        command.insert(command.end(), arguments.begin(), arguments.end());
        const std::string output = Path("stdout");
        const std::string errors = Path("stderr");
        TChildProcess process(command,
                              {"XDG_CONFIG_HOME=" + Path("config"), "APPDATA=" + Path("config"),
                               "TAVIMOR_MIDI_DEVICES="},
                              output, errors);
        TRun run;
        run.Status = process.Wait();
        run.Output = OutputText(output);
        run.Errors = OutputText(errors);
        return run;
    }

    // The tool on the built-in sampler.
    TRun RunBuiltIn(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"--device", "Virtual EPS"});
        return Run(arguments);
    }

    std::string Path(const std::string& name) const {
        return TUtf8::Text(Folder / TUtf8::Path(name));
    }

    std::filesystem::path Folder;
};

// One line on the error stream, saying what went wrong.
void ExpectOneLineReason(const TRun& run, const std::string& reason) {
    EXPECT_EQ(run.Errors.rfind("tavimor-cli: ", 0), 0u) << run.Errors;
    EXPECT_NE(run.Errors.find(reason), std::string::npos) << run.Errors;
    EXPECT_EQ(run.Errors.find('\n'), run.Errors.size() - 1) << run.Errors;
}

// A mono 16-bit WAVE file of a 440 Hz sine.
void WriteSineFile(const std::string& path, std::uint32_t rate, std::uint32_t frames) {
    std::ofstream file(path, std::ios::binary);
    const auto put = [&file](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            file.put(static_cast<char>(value >> (8 * i)));
        }
    };
    file << "RIFF";
    put(36 + 2 * frames, 4);
    file << "WAVEfmt ";
    put(16, 4);
    put(1, 2);
    put(1, 2);
    put(rate, 4);
    put(2 * rate, 4);
    put(2, 2);
    put(16, 2);
    file << "data";
    put(2 * frames, 4);
    for (std::uint32_t i = 0; i < frames; ++i) {
        put(static_cast<std::uint16_t>(
                std::lround(16000 * std::sin(i * 2 * 3.14159265 * 440 / rate))),
            2);
    }
}

// The data chunk of a downloaded file: its size at byte 40, the samples
// from byte 44; a "smpl" chunk follows.
std::vector<std::int16_t> SamplesOf(const std::string& file) {
    std::ifstream stream(TUtf8::Path(file), std::ios::binary);
    unsigned char size[4] = {};
    stream.seekg(40);
    stream.read(reinterpret_cast<char*>(size), 4);
    std::uint32_t left = size[0] | size[1] << 8 | size[2] << 16 | std::uint32_t{size[3]} << 24;
    std::vector<std::int16_t> samples;
    char bytes[2];
    for (; left >= 2 && stream.read(bytes, 2); left -= 2) {
        samples.push_back(static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[0]) |
                                                    static_cast<std::uint8_t>(bytes[1]) << 8));
    }
    return samples;
}

TEST_F(CliTest, UsageErrorsExitWithTwo) {
    const std::vector<std::vector<std::string>> mistakes = {
        {},
        {"fly"},
        {"params", "9", "1"},
        {"params", "1", "0"},
        {"params", "1"},
        {"download", "1", "128", "x.wav"},
        {"upload", "x.wav", "1", "old"},
        {"rename", "1", "THIRTEEN CHARS"},
        {"edit", "1", "1", "shout", "0", "9"},
        {"edit", "1", "1", "fade-in", "9", "0"},
        {"edit", "1", "1", "clear"},
        {"edit", "1", "1", "normalize", "0", "9"},
        {"--block-size", "100", "list"},
        {"--delay", "5000", "list"},
        {"--channel", "17", "list"},
        {"--frobnicate", "list"},
        {"probe", "--json"},
        {"--verify", "download", "1", "1", "x.wav"},
        {"--device", "no such device", "probe"},
        {"--in", "99", "probe"},
        {"--device", "tcp:192.168.1.5:5000", "probe"},
    };
    for (const auto& arguments : mistakes) {
        const TRun run = Run(arguments);
        EXPECT_EQ(run.Status, 2) << ::testing::PrintToString(arguments);
        ExpectOneLineReason(run, "");
        EXPECT_TRUE(run.Output.empty());
    }
    // The sampler's bytes carry no authentication: only this computer.
    ExpectOneLineReason(Run({"--device", "tcp:192.168.1.5:5000", "probe"}),
                        "cannot use tcp:192.168.1.5:5000: only this computer's loopback address "
                        "127.0.0.1 may be used, not 192.168.1.5");
}

TEST_F(CliTest, HelpAndDevices) {
    const TRun help = Run({"--help"});
    EXPECT_EQ(help.Status, 0);
    EXPECT_EQ(help.Output.rfind("Usage: tavimor-cli", 0), 0u);

    const TRun devices = Run({"devices"});
    EXPECT_EQ(devices.Status, 0);
    EXPECT_EQ(devices.Output, "MIDI inputs:\n  0  Virtual EPS\nMIDI outputs:\n  0  Virtual EPS\n");
}

TEST_F(CliTest, ProbeFindsTheSamplerByNumberOrPartOfItsName) {
    EXPECT_EQ(RunBuiltIn({"probe"}).Status, 0);
    EXPECT_EQ(Run({"--device", "virtual", "probe"}).Status, 0);
    EXPECT_EQ(Run({"--in", "0", "--out", "0", "probe"}).Status, 0);
}

TEST_F(CliTest, ADeviceThatDoesNotOpenFailsWithOne) {
    // Port 1 of this computer, where nothing listens.
    const std::string device = ServerSockets().front() == TServerSocket::Unix
                                   ? "unix:" + Path("nobody.sock")
                                   : "tcp:127.0.0.1:1";
    const TRun run = Run({"--device", device, "probe"});
    EXPECT_EQ(run.Status, 1);
    ExpectOneLineReason(run, "the MIDI input device 1 (" + device + ") cannot be opened");
}

TEST_F(CliTest, ListsTheInstruments) {
    const TRun json = RunBuiltIn({"list", "--json"});
    EXPECT_EQ(json.Status, 0);
    EXPECT_EQ(json.Output,
              "{\"instruments\":[{\"number\":1,\"name\":\"Grand Piano\",\"wavesamples\":[1,2]},"
              "{\"number\":2,\"name\":\"Drum Kit\",\"wavesamples\":[1,2]},"
              "{\"number\":4,\"name\":\"Warm Pad\",\"wavesamples\":[1]}]}\n");

    const TRun text = RunBuiltIn({"list"});
    EXPECT_EQ(text.Status, 0);
    EXPECT_NE(text.Output.find("2  Drum Kit      wavesamples 1 2\n"), std::string::npos)
        << text.Output;
}

TEST_F(CliTest, ShowsTheParametersOfAWaveSample) {
    const TRun json = RunBuiltIn({"params", "2", "2", "--json"});
    EXPECT_EQ(json.Status, 0);
    EXPECT_EQ(json.Output, "{\"name\":\"Rimshot\",\"start\":0,\"end\":399,\"loop_start\":0,"
                           "\"loop_end\":399,\"mode\":0,\"rate\":44642,\"root_key\":50,"
                           "\"low_key\":48,\"high_key\":108,\"copy_of\":0}\n");

    const TRun copy = RunBuiltIn({"params", "1", "2"});
    EXPECT_EQ(copy.Status, 0);
    EXPECT_NE(copy.Output.find("copy of     wavesample 1\n"), std::string::npos) << copy.Output;

    const TRun missing = RunBuiltIn({"params", "3", "1"});
    EXPECT_EQ(missing.Status, 1);
    ExpectOneLineReason(missing, "instrument 3 is not loaded");
}

TEST_F(CliTest, BacksAnInstrumentUpAndRestoresIt) {
    const TRun backup = RunBuiltIn({"backup", "1", Path("backup")});
    EXPECT_EQ(backup.Status, 0) << backup.Errors;
    EXPECT_EQ(backup.Output, "Backed up Grand Piano in " + Path("backup") + ".\n");
    EXPECT_EQ(SamplesOf(Path("backup/01-Piano_C4.wav")).size(), 43750u);
    EXPECT_TRUE(std::filesystem::exists(Path("backup/instrument.json")));

    // Each run has a sampler of its own, with the demo bank.
    const TRun occupied = RunBuiltIn({"restore", Path("backup")});
    EXPECT_EQ(occupied.Status, 1);
    ExpectOneLineReason(occupied, "Instrument 1 holds Grand Piano; nothing was restored (use "
                                  "--replace to restore over it).");
    const TRun replaced = RunBuiltIn({"restore", "--replace", "--verify", Path("backup")});
    EXPECT_EQ(replaced.Status, 0) << replaced.Errors;
    EXPECT_EQ(replaced.Output, "Restored Grand Piano into instrument 1. Every sample read back "
                               "the same.\n");
    const TRun elsewhere = RunBuiltIn({"restore", Path("backup"), "3"});
    EXPECT_EQ(elsewhere.Status, 0) << elsewhere.Errors;
    EXPECT_EQ(elsewhere.Output, "Restored Grand Piano into instrument 3.\n");
}

TEST_F(CliTest, DownloadsAndRefusesWhatCannotBeDownloaded) {
    // The file named on the command line is the user's choice: one that
    // exists is replaced without a question.
    std::ofstream(Path("rim.wav")) << std::string(5000, 'x');
    const TRun rimshot = RunBuiltIn({"download", "2", "2", Path("rim.wav")});
    EXPECT_EQ(rimshot.Status, 0);
    EXPECT_EQ(rimshot.Output, "Saved 400 samples to " + Path("rim.wav") + ".\n");
    EXPECT_EQ(SamplesOf(Path("rim.wav")).size(), 400u);

    const TRun copy = RunBuiltIn({"download", "1", "2", Path("copy.wav")});
    EXPECT_EQ(copy.Status, 1);
    ExpectOneLineReason(copy, "is a parameters-only copy of wavesample 1");
    EXPECT_FALSE(std::filesystem::exists(Path("copy.wav")));

    const TRun missing = RunBuiltIn({"download", "1", "7", Path("none.wav")});
    EXPECT_EQ(missing.Status, 1);
    ExpectOneLineReason(missing, "instrument 1 has no wavesample 7");
}

// File names reach the files as they are typed, in any script: a download,
// the upload of what it saved, and the trace of both.
TEST_F(CliTest, FilesMayBeNamedInAnyScript) {
    const std::string wave = Path("Rimshot \u00e4\u00df \u20ac \u65e5\u672c.wav");
    const std::string trace = Path("Spur \u00fc.txt");
    const TRun down = RunBuiltIn({"--trace", trace, "download", "2", "2", wave});
    EXPECT_EQ(down.Status, 0) << down.Errors;
    EXPECT_EQ(down.Output, "Saved 400 samples to " + wave + ".\n");
    EXPECT_EQ(SamplesOf(wave).size(), 400u);
    EXPECT_NE(ReadTextFile(trace).find("* Start of debug session *"), std::string::npos);

    const TRun up = RunBuiltIn({"upload", wave, "3", "new"});
    EXPECT_EQ(up.Status, 0) << up.Errors;
    EXPECT_NE(up.Output.find("Sent 400 samples to instrument 3, wavesample 1"), std::string::npos)
        << up.Output;
}

// Ctrl+C during a transfer cancels it cleanly: the tool says so, keeps what
// it saved and exits with 1.
TEST_F(CliTest, CtrlCCancelsATransfer) {
#ifdef _WIN32
    // Ctrl+Break reaches only a program that shares our console, and a test
    // run has none to share.
    GTEST_SKIP() << "no console to send Ctrl+Break through";
#endif
    TVirtualEpsServer server({"--baud", "31250"}, ServerSockets().back());
    ASSERT_TRUE(server.Listening());
    const std::string wave = Path("piano.wav");
    TChildProcess tool({TAVIMOR_CLI, "--device", server.DeviceName(), "download", "1", "1", wave},
                       {"APPDATA=" + Path("config"), "XDG_CONFIG_HOME=" + Path("config")},
                       Path("stdout"), Path("stderr"));
    // The file fills once the transfer has started to watch for the key.
    ASSERT_TRUE(Eventually(
        [&] {
            std::error_code error;
            return std::filesystem::file_size(TUtf8::Path(wave), error) > 0 && !error;
        },
        std::chrono::seconds(30)));
    tool.Interrupt();

    TRun run;
    run.Status = tool.Wait();
    run.Errors = OutputText(Path("stderr"));
    EXPECT_EQ(run.Status, 1);
    ExpectOneLineReason(run, "The download was cancelled; " + wave + " is incomplete");
}

// Before the transfer the tool says what it makes of the file: a download
// goes back as it is, a 44.1 kHz file is converted to period 14's rate
// unless --keep-rate is given. Each is read back; the built-in sampler of
// each run is a new one.
TEST_F(CliTest, AnUploadSaysWhatItSendsAndIsReadBackWhenAskedTo) {
    ASSERT_EQ(RunBuiltIn({"download", "2", "2", Path("rim.wav")}).Status, 0);
    WriteSineFile(Path("sine.wav"), 44100, 4410);
    struct TCase {
        std::vector<std::string> Arguments;
        std::string Output;
    };
    const std::vector<TCase> cases = {
        {{Path("rim.wav")},
         "WAVE, 44642 Hz, 1 channel, 16-bit, 0:00.0 \u2192 44642 Hz as it is, 400 words, about "
         "0:00 at MIDI speed\nSent 400 samples to instrument 2, wavesample 3.\nVerified 400 "
         "samples.\n"},
        {{Path("sine.wav")},
         "WAVE, 44100 Hz, 1 channel, 16-bit, 0:00.1 \u2192 44642 Hz, 4,464 words, about 0:05 at "
         "MIDI speed\nSent 4464 samples to instrument 2, wavesample 3 (converted from 44100 "
         "Hz).\nVerified 4464 samples.\n"},
        {{"--keep-rate", Path("sine.wav")},
         "WAVE, 44100 Hz, 1 channel, 16-bit, 0:00.1 \u2192 44642 Hz as it is, 4,410 words, about "
         "0:04 at MIDI speed\nSent 4410 samples to instrument 2, wavesample 3.\nVerified 4410 "
         "samples.\n"},
    };
    for (const TCase& c : cases) {
        std::vector<std::string> arguments = {"upload", "--verify"};
        arguments.insert(arguments.end(), c.Arguments.begin(), c.Arguments.end());
        arguments.insert(arguments.end(), {"2", "new"});

        const TRun run = RunBuiltIn(arguments);

        EXPECT_EQ(run.Status, 0) << run.Errors;
        EXPECT_EQ(run.Output, c.Output);
    }
    EXPECT_EQ(RunBuiltIn({"download", "--keep-rate", "2", "2", Path("x.wav")}).Status, 2);
}

TEST_F(CliTest, ABadFileIsRefusedWithOne) {
    std::ofstream(Path("bad.wav")) << "not a wave file";
    const TRun run = RunBuiltIn({"upload", Path("bad.wav"), "2", "new"});
    EXPECT_EQ(run.Status, 1);
    ExpectOneLineReason(run, "bad.wav is not a sound file that can be read");
}

TEST_F(CliTest, SavedSettingsAreTheDefaults) {
    std::filesystem::create_directories(Path("config/Tavimor"));
    std::ofstream(Path("config/Tavimor/Tavimor.ini"))
        << "[MainForm]\nWidth=700\n\n[Preferences]\nBlockSize=0x200\nChannel=1\nMidiIn=0\n";
    const std::string trace = Path("trace.txt");

    const TRun run = RunBuiltIn({"--trace", trace, "download", "2", "2", Path("rim.wav")});

    EXPECT_EQ(run.Status, 0);
    const std::string text = ReadTextFile(trace);
    EXPECT_NE(text.find("-Download-\r\n"), std::string::npos);
    EXPECT_NE(text.find("GetWaveSampleData(0,400)\r\n"), std::string::npos) << text;

    const TRun small = RunBuiltIn(
        {"--trace", trace, "--block-size", "256", "download", "2", "2", Path("rim.wav")});
    EXPECT_EQ(small.Status, 0);
    EXPECT_NE(ReadTextFile(trace).find("GetWaveSampleData(0,256)\r\n"), std::string::npos);
}

// Saved devices are found by their names wherever their numbers moved; one
// that is gone is named instead of another device being used.
TEST_F(CliTest, SavedDevicesAreFoundByTheirNames) {
    struct TCase {
        std::string Saved;
        int Status;
        std::string Reason;
    };
    const std::vector<TCase> cases = {
        {"MidiIn=7\nMidiInName=Virtual EPS\nMidiOut=7\nMidiOutName=Virtual EPS\n", 0, ""},
        {"MidiIn=0\nMidiOut=0\n", 0, ""},
        {"MidiIn=0\nMidiInName=Virtual EPS\nMidiOut=0\nMidiOutName=USB MIDI Interface\n", 1,
         "the MIDI output device \"USB MIDI Interface\" of the saved settings is not connected "
         "(name another with --device)"},
    };
    std::filesystem::create_directories(Path("config/Tavimor"));
    for (const TCase& c : cases) {
        std::ofstream(Path("config/Tavimor/Tavimor.ini")) << "[Preferences]\n" << c.Saved;
        const TRun run = Run({"probe"});
        EXPECT_EQ(run.Status, c.Status) << c.Saved << run.Errors;
        if (c.Status != 0) {
            ExpectOneLineReason(run, c.Reason);
        }
    }
}

// Over each kind of byte-stream device the standalone sampler serves.
class CliServerTest : public CliTest, public ::testing::WithParamInterface<TServerSocket> {
protected:
    void SetUp() override {
        CliTest::SetUp();
        ASSERT_TRUE(Server.Listening());
    }

    TRun RunOnServer(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"--device", Server.DeviceName()});
        return Run(arguments);
    }

    TVirtualEpsServer Server{{}, GetParam()};
};

INSTANTIATE_TEST_SUITE_P(Sockets, CliServerTest, ::testing::ValuesIn(ServerSockets()),
                         [](const auto& info) { return SocketName(info.param); });

TEST_P(CliServerTest, AnUploadComesBackByDownload) {
    ASSERT_EQ(RunOnServer({"download", "2", "1", Path("kick.wav")}).Status, 0);

    const TRun up = RunOnServer({"upload", Path("kick.wav"), "3", "new"});
    EXPECT_EQ(up.Status, 0) << up.Errors;
    EXPECT_EQ(up.Output, "WAVE, 44642 Hz, 1 channel, 16-bit, 0:00.5 \u2192 44642 Hz as it is, "
                         "22,321 words, about 0:23 at MIDI speed\nSent 22321 samples to "
                         "instrument 3, wavesample 1 and named the instrument after the file.\n");
    const TRun down = RunOnServer({"download", "3", "1", Path("back.wav")});
    EXPECT_EQ(down.Status, 0) << down.Errors;

    EXPECT_EQ(SamplesOf(Path("back.wav")), SamplesOf(Path("kick.wav")));
    EXPECT_NE(RunOnServer({"list", "--json"}).Output.find("{\"number\":3,\"name\":\"Kick\""),
              std::string::npos);
}

TEST_P(CliServerTest, UploadTargetsAUsedOrTheFirstFreeSlot) {
    ASSERT_EQ(RunOnServer({"download", "2", "2", Path("rim.wav")}).Status, 0);

    const TRun gap = RunOnServer({"upload", Path("rim.wav"), "1", "5"});
    EXPECT_EQ(gap.Status, 1);
    ExpectOneLineReason(gap, "instrument 1 has no wavesample 5, and a new one goes into slot 3");

    const TRun replace = RunOnServer({"upload", Path("rim.wav"), "2", "2"});
    EXPECT_EQ(replace.Status, 0) << replace.Errors;
    EXPECT_NE(replace.Output.find("\nSent 400 samples to instrument 2, wavesample 2.\n"),
              std::string::npos)
        << replace.Output;

    const TRun copy = RunOnServer({"upload", Path("rim.wav"), "1", "2"});
    EXPECT_EQ(copy.Status, 1);
    ExpectOneLineReason(copy, "The sampler stopped the upload");
}

TEST_P(CliServerTest, RenamesAnInstrument) {
    const TRun run = RunOnServer({"rename", "2", "beat box"});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Output, "Renamed instrument 2 to \"Beat Box\".\n");
    EXPECT_NE(RunOnServer({"list"}).Output.find("2  Beat Box"), std::string::npos);

    const TRun absent = RunOnServer({"rename", "3", "X"});
    EXPECT_EQ(absent.Status, 1);
    ExpectOneLineReason(absent, "instrument 3 is not loaded");
}

TEST_P(CliServerTest, EditsARangeAsTheEditMenuDoes) {
    ASSERT_EQ(RunOnServer({"download", "2", "2", Path("before.wav")}).Status, 0);

    const TRun clear = RunOnServer({"edit", "2", "2", "clear", "10", "19"});
    EXPECT_EQ(clear.Status, 0) << clear.Errors;
    EXPECT_EQ(clear.Output, "Cleared samples 10..19 of instrument 2, wavesample 2.\n");
    const TRun reverse = RunOnServer({"edit", "2", "2", "reverse", "100", "199"});
    EXPECT_EQ(reverse.Status, 0) << reverse.Errors;
    ASSERT_EQ(RunOnServer({"download", "2", "2", Path("after.wav")}).Status, 0);

    std::vector<std::int16_t> expected = SamplesOf(Path("before.wav"));
    std::fill(expected.begin() + 10, expected.begin() + 20, 0);
    std::reverse(expected.begin() + 100, expected.begin() + 200);
    EXPECT_EQ(SamplesOf(Path("after.wav")), expected);

    const TRun beyond = RunOnServer({"edit", "2", "2", "fade-out", "300", "400"});
    EXPECT_EQ(beyond.Status, 2);
    ExpectOneLineReason(beyond, "LAST is beyond the wavesample's last sample, 399");
    EXPECT_EQ(RunOnServer({"edit", "2", "2", "normalize"}).Status, 0);
}

} // namespace
