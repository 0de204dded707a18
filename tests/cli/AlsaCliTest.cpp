// tavimor-cli and tavimor-virtual-eps as programs of their own on a real ALSA
// sequencer: the sampler on its own sequencer port, and the sampler behind a
// MIDI interface, attached to the raw side of a virtual raw MIDI port
// (snd-virmidi). Skipped where there is no sequencer; scripts/test-alsa runs
// it in a guest that has one.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "tests/support/AlsaPeer.h"
#include "tests/support/Eventually.h"
#include "tests/transfer/ChildProcess.h"

namespace {

using ::testing::HasSubstr;

struct TRun {
    int Status = -1;
    std::string Output;
    std::string Errors;
};

// A way from the tool to the sampler: how the sampler is started and the
// name the tool lists the device under. The Windows build's tool runs under
// Wine, whose multimedia MIDI devices are the sequencer's ports, so that its
// own MIDI code meets a real kernel's sequencer.
struct TRoute {
    std::string Name;
    std::vector<std::string> ServerOptions;
    std::string Device;
    bool UnderWine = false;
};

// The Windows build's tool and the Wine to run it with, where scripts/test-alsa
// found both; empty otherwise.
std::vector<std::string> WindowsCli() {
    const char* wine = std::getenv("TAVIMOR_WINE");
    const char* cli = std::getenv("TAVIMOR_WINDOWS_CLI");
    if (wine == nullptr || cli == nullptr || *wine == 0 || *cli == 0) {
        return {};
    }
    return {wine, cli};
}

void PrintTo(const TRoute& route, std::ostream* stream) {
    *stream << route.Name;
}

// 16-bit mono PCM at a rate period 20 plays, so that it goes in unconverted,
// enough samples for more than one block of the largest size.
void WriteWave(const std::string& path, std::size_t frames, int seed) {
    std::ofstream file(path, std::ios::binary);
    auto put = [&](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            file.put(static_cast<char>((value >> (8 * i)) & 0xFF));
        }
    };
    const std::uint32_t data = static_cast<std::uint32_t>(frames * 2);
    file << "RIFF";
    put(36 + data, 4);
    file << "WAVEfmt ";
    put(16, 4);
    put(1, 2);
    put(1, 2);
    put(31250, 4);
    put(62500, 4);
    put(2, 2);
    put(16, 2);
    file << "data";
    put(data, 4);
    for (std::size_t i = 0; i < frames; ++i) {
        put(static_cast<std::uint32_t>((i * 977 + static_cast<std::size_t>(seed) * 4099) % 65536),
            2);
    }
}

// The data chunk: its size at byte 40, the samples from byte 44; a download
// ends with a "smpl" chunk after it.
std::vector<char> SamplesOf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    unsigned char size[4] = {};
    file.seekg(40);
    file.read(reinterpret_cast<char*>(size), 4);
    std::vector<char> samples(size[0] | size[1] << 8 | size[2] << 16 | std::size_t{size[3]} << 24);
    file.read(samples.data(), static_cast<std::streamsize>(samples.size()));
    samples.resize(static_cast<std::size_t>(file.gcount()));
    return samples;
}

// A Windows program's text as a Linux one writes it.
std::string WithoutReturns(std::string text) {
    std::erase(text, '\r');
    return text;
}

// The names of one section of `tavimor-cli devices`: "MIDI inputs:" or
// "MIDI outputs:", lines "  N  Name".
std::vector<std::string> Listed(const std::string& text, const std::string& section) {
    std::istringstream lines(text.substr(text.find(section) + section.size()));
    std::vector<std::string> names;
    std::string line;
    std::getline(lines, line); // the rest of the section's title line
    while (std::getline(lines, line) && line.starts_with("  ")) {
        std::istringstream fields(line);
        int number = 0;
        fields >> number >> std::ws;
        std::getline(fields, names.emplace_back());
    }
    return names;
}

class AlsaCliTest : public ::testing::TestWithParam<TRoute> {
protected:
    void SetUp() override {
        if (!TAlsaPeer("Tavimor probe").Exists()) {
            GTEST_SKIP() << "no ALSA sequencer on this system (scripts/test-alsa runs these)";
        }
        if (GetParam().UnderWine && WindowsCli().empty()) {
            GTEST_SKIP() << "no Windows build to run under Wine (scripts/test-alsa runs it)";
        }
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tavimor-alsa-test-XXXXXX").string();
        Folder = mkdtemp(pattern.data());
    }
    void TearDown() override {
        Server.reset();
        if (!Folder.empty()) {
            std::filesystem::remove_all(Folder);
        }
    }

    // The sampler with these options; true once it serves.
    bool StartSampler(const std::vector<std::string>& options) {
        std::vector<std::string> command = {TAVIMOR_VIRTUAL_EPS};
        command.insert(command.end(), options.begin(), options.end());
        Server = std::make_unique<TChildProcess>(command, std::vector<std::string>{},
                                                 Path("server.out"), Path("server.err"));
        return Eventually([&] { return SamplerErrors().find(" on ") != std::string::npos; });
    }
    std::string SamplerErrors() const { return ReadTextFile(Path("server.err")); }

    TRun Run(const std::vector<std::string>& arguments) {
        std::vector<std::string> command = {TAVIMOR_CLI};
        if (GetParam().UnderWine) {
            command = WindowsCli();
        }
        command.insert(command.end(), arguments.begin(), arguments.end());
        TChildProcess process(command,
                              {"XDG_CONFIG_HOME=" + Path("config"), "TAVIMOR_MIDI_DEVICES="},
                              Path("cli.out"), Path("cli.err"));
        TRun run;
        run.Status = process.Wait();
        // Windows ends its lines with CR LF.
        run.Output = WithoutReturns(ReadTextFile(Path("cli.out")));
        run.Errors = WithoutReturns(ReadTextFile(Path("cli.err")));
        return run;
    }

    std::string Path(const std::string& name) const { return (Folder / name).string(); }

    std::filesystem::path Folder;
    std::unique_ptr<TChildProcess> Server;
};

// Every device is listed under a name of its own, so that each can be
// chosen by name; the sampler's blocks of the smallest and the largest size
// go both ways and what was uploaded comes back unchanged.
TEST_P(AlsaCliTest, ListsDownloadsAndUploadsAtEveryBlockSize) {
    const TRoute& route = GetParam();
    ASSERT_TRUE(StartSampler(route.ServerOptions)) << SamplerErrors();

    const TRun devices = Run({"devices"});
    ASSERT_EQ(devices.Status, 0) << devices.Errors;
    for (const std::string section : {"MIDI inputs:", "MIDI outputs:"}) {
        const auto names = Listed(devices.Output, section);
        ASSERT_FALSE(names.empty()) << devices.Output;
        EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size())
            << devices.Output;
        EXPECT_EQ(std::count(names.begin(), names.end(), route.Device), 1) << devices.Output;
        EXPECT_EQ(names.front(), "Virtual EPS") << devices.Output;
    }

    const TRun list = Run({"--device", route.Device, "list"});
    ASSERT_EQ(list.Status, 0) << list.Output << list.Errors;
    EXPECT_THAT(list.Output, HasSubstr("Grand Piano"));

    const std::vector<std::vector<std::string>> uploads = {{"256", "new"}, {"10240", "1"}};
    for (const auto& upload : uploads) {
        const std::string& block = upload[0];
        SCOPED_TRACE("block size " + block);
        const std::string sent = Path("sent-" + block + ".wav");
        const std::string back = Path("back-" + block + ".wav");
        WriteWave(sent, 12000, std::stoi(block));
        const TRun up =
            Run({"--device", route.Device, "--block-size", block, "upload", sent, "3", upload[1]});
        EXPECT_EQ(up.Status, 0) << up.Errors;
        const TRun down =
            Run({"--device", route.Device, "--block-size", block, "download", "3", "1", back});
        EXPECT_EQ(down.Status, 0) << down.Errors;
        EXPECT_EQ(SamplesOf(back), SamplesOf(sent));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Routes, AlsaCliTest,
    ::testing::Values(TRoute{"SequencerPort", {"--virtual-port"}, "Virtual EPS: Virtual EPS"},
                      TRoute{"RawMidiBehindVirMidi",
                             {"--raw-midi", "/dev/snd/midiC0D0", "--baud", "31250"},
                             "Virtual Raw MIDI 0-0: VirMIDI 0-0"},
                      TRoute{"RawMidiBehindVirMidiUnderWine",
                             {"--raw-midi", "/dev/snd/midiC0D0", "--baud", "31250"},
                             "VirMIDI 0-0",
                             true}),
    [](const auto& info) { return info.param.Name; });

// A subscriber whose queue cannot take a fragment: the sampler cannot answer
// it, and says so instead of sending into the void.
TEST(AlsaVirtualPortTest, ARefusedReplyIsReported) {
    TAlsaPeer editor("Tavimor small editor");
    if (!editor.Exists()) {
        GTEST_SKIP() << "no ALSA sequencer on this system (scripts/test-alsa runs these)";
    }
    const std::string errors = (std::filesystem::temp_directory_path() /
                                ("tavimor-refused-" + std::to_string(getpid()) + ".err"))
                                   .string();
    TChildProcess server({TAVIMOR_VIRTUAL_EPS, "--virtual-port"}, {}, "", errors);
    ASSERT_TRUE(Eventually([&] { return editor.ConnectWith("Virtual EPS"); }));
    ASSERT_GE(snd_seq_set_client_pool_input(editor.Handle(), 1), 0);

    ASSERT_GE(editor.SendEvent({0xF0, 0x0F, 0x03, 0x00, 0x40, 0x00, 0x23, 0xF7}, true), 0);
    EXPECT_TRUE(Eventually([&] {
        return ReadTextFile(errors).find("refused a reply") != std::string::npos;
    })) << ReadTextFile(errors);
    server.Terminate();
    std::filesystem::remove(errors);
}

} // namespace
