// Whole editing sessions through the real ports, Vorrin and the MIDI layer:
// against the built-in device and against the standalone program over a
// Unix socket or a loopback TCP connection. The editor's side is written out message by message
// here.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "emulator/DemoBank.h"
#include "emulator/SampleEdits.h"
#include "emulator/SamplerName.h"
#include "emulator/VirtualEpsPeer.h"
#include "midi/MidiIn.h"
#include "midi/MidiOut.h"
#include "platform/MidiApi.h"
#include "platform/MidiDevices.h"
#include "platform/Socket.h"
#include "platform/SocketAddress.h"
#include "tests/emulator/ProtocolFixture.h"
#include "tests/emulator/ServerProcess.h"
#include "tests/support/ServerSockets.h"

namespace {

using ::testing::HasSubstr;

constexpr std::size_t ResponseSize = 8;
constexpr std::size_t ShortHeaderSize = 12;
constexpr std::size_t RangeHeaderSize = 20;

// The editor's end of the cable.
class TEditor {
public:
    TEditor(int outputDevice, int inputDevice) {
        Out.DeviceID = outputDevice;
        In.DeviceID = inputDevice;
        Opened = In.Open() && Out.Open();
    }

    bool Opened = false;

    void Send(const TBytes& message) { Out.SendSysEx(message); }
    TBytes Read(std::size_t count) {
        TBytes bytes;
        std::uint8_t byte;
        while (bytes.size() < count && In.ReadByte(byte)) {
            bytes.push_back(byte);
        }
        return bytes;
    }
    // A request answered by one response; its code, or -1 for no answer.
    int Ask(const TBytes& request) {
        Send(request);
        const TBytes reply = Read(ResponseSize);
        return reply.size() == ResponseSize ? reply[6] : -1;
    }
    // A request answered by response 0, a data header and, after the
    // editor's acknowledge, a data message of `words` words.
    std::vector<std::uint16_t> Fetch(const TBytes& request, std::size_t headerSize,
                                     std::size_t words) {
        EXPECT_EQ(Ask(request), 0);
        EXPECT_EQ(Read(headerSize).size(), headerSize);
        Send(Ack);
        const TBytes data = Read(3 * words + 5);
        EXPECT_EQ(data.size(), 3 * words + 5);
        return WordsOf(data);
    }
    // A header accepted, then the data message acknowledged.
    void Put(const TBytes& header, const std::vector<std::uint16_t>& words) {
        EXPECT_EQ(Ask(header), 0);
        EXPECT_EQ(Ask(DataMessage(words)), 0);
    }
    void SelectInstrument(int instrument) {
        Out.ProgramChange(static_cast<std::uint8_t>(instrument + 8));
        Out.ProgramChange(static_cast<std::uint8_t>(instrument));
        Out.ProgramChange(static_cast<std::uint8_t>(instrument));
    }

    TMidiOut Out;
    TMidiIn In;
};

std::uint32_t AddressAt(const std::vector<std::uint16_t>& block, std::size_t word) {
    TWaveSample waveSample;
    std::copy(block.begin(), block.end(), waveSample.Parameters.begin());
    return waveSample.Address(word);
}

std::vector<std::int16_t> Signal(std::size_t count) {
    std::vector<std::int16_t> data(count);
    for (std::size_t i = 0; i < count; ++i) {
        data[i] = static_cast<std::int16_t>((i * 7919) % 60000 - 30000);
    }
    return data;
}

std::vector<std::uint16_t> AsWords(const std::vector<std::int16_t>& samples) {
    return {samples.begin(), samples.end()};
}

// The demo piano as the session below leaves it.
std::vector<std::int16_t> ExpectedPiano() {
    TSamplerModel model;
    TDemoBank::Load(model);
    auto data = model.Instrument(0)->WaveSample(1)->Data;
    TSampleEdits::FadeIn(data, 0, 1000);
    return data;
}

const std::vector<std::int16_t> Uploaded = Signal(700);

// Opens the demo piano as an editor does, edits it, downloads the start
// of it, uploads a new wavesample into the empty instrument 2 and names it.
void EditSession(TEditor& editor) {
    ASSERT_EQ(editor.Ask({0xF0, 0x0F, 0x03, 0x00, 0x40, 0x00, 0x23, 0xF7}), 0);

    // Open: parameters, then the work area behind the data.
    editor.SelectInstrument(0);
    const auto parameters =
        editor.Fetch(AddressRequest(5, 0, 0, 1), ShortHeaderSize, TWaveSample::ParameterCount);
    ASSERT_EQ(parameters.size(), TWaveSample::ParameterCount);
    const std::uint32_t last = AddressAt(parameters, TWaveSample::EndWord);
    ASSERT_EQ(last, 43749u);
    const std::uint32_t target = (last & ~511u) * 2 + 1024;
    for (std::uint32_t pos = last; pos < target;) {
        const std::uint32_t n = std::min(target - pos + 1, pos + 1);
        ASSERT_EQ(editor.Ask(CopyRequest(0, 1, 0, n - 1, pos)), 0);
        pos += n - 1;
    }
    ASSERT_EQ(editor.Ask(RangeRequest(31, 0, 1, last + 1, target + 1)), 0);
    const std::uint32_t perPoint = last / 512 + 1;
    const auto overview =
        editor.Fetch(RangeRequest(10, 0, 1, 0, perPoint * 1024), RangeHeaderSize, 512);
    ASSERT_EQ(overview.size(), 512u);
    EXPECT_GT(overview[10], 10000);

    // Fade in the first 1000 samples, then read them back exactly.
    TBytes fadeIn = RangeRequest(39, 0, 1, 0, 1000);
    fadeIn.insert(fadeIn.end() - 1, {0x00, 0x00});
    ASSERT_EQ(editor.Ask(fadeIn), 0);
    const auto expected = ExpectedPiano();
    const auto view = editor.Fetch(RangeRequest(6, 0, 1, 0, 512), RangeHeaderSize, 512);
    EXPECT_EQ(view, AsWords({expected.begin(), expected.begin() + 512}));

    // Download in blocks of 256.
    for (std::uint32_t start = 1000; start < 2000; start += 256) {
        const std::uint32_t end = std::min(start + 256, 2000u);
        const auto block =
            editor.Fetch(RangeRequest(6, 0, 1, start, end), RangeHeaderSize, end - start);
        ASSERT_EQ(block, AsWords({expected.begin() + start, expected.begin() + end}));
    }
    ASSERT_EQ(editor.Ask(AddressRequest(30, 0, 0, 1)), 0);

    // Upload into the empty instrument 2, creating what is missing.
    const TBytes firstHeader = RangeRequest(15, 2, 1, 0, 512);
    ASSERT_EQ(editor.Ask(firstHeader), 5);
    ASSERT_EQ(editor.Ask(AddressRequest(21, 2, 0, 1)), 0);
    editor.SelectInstrument(2);
    ASSERT_EQ(editor.Ask(firstHeader), 6);
    ASSERT_EQ(editor.Ask(AddressRequest(22, 2, 0, 1)), 0);
    ASSERT_EQ(editor.Ask(firstHeader), 8);
    ASSERT_EQ(editor.Ask(AddressRequest(25, 2, 0, 1)), 0);
    editor.Put(firstHeader, AsWords({Uploaded.begin(), Uploaded.begin() + 512}));
    editor.Put(RangeRequest(15, 2, 1, 512, 700), AsWords({Uploaded.begin() + 512, Uploaded.end()}));
    TWaveSample uploaded;
    uploaded.SetAddress(TWaveSample::EndWord, 700);
    TSamplerName::Encode("UPLOADED", uploaded.Parameters.data());
    editor.Put(AddressRequest(14, 2, 0, 1),
               {uploaded.Parameters.begin(), uploaded.Parameters.end()});

    // Name the instrument after the file.
    auto instrument = editor.Fetch(AddressRequest(3, 2, 0, 0), ShortHeaderSize, 323);
    ASSERT_EQ(instrument.size(), 323u);
    TSamplerName::Encode("kick", instrument.data());
    editor.Put(AddressRequest(12, 2, 0, 1), instrument);
}

// What the session left in the sampler, read over the wire.
void CheckSessionResult(TEditor& editor) {
    const auto data = editor.Fetch(RangeRequest(6, 2, 1, 0, 700), RangeHeaderSize, 700);
    EXPECT_EQ(data, AsWords(Uploaded));
    const auto instrument = editor.Fetch(AddressRequest(3, 2, 0, 0), ShortHeaderSize, 323);
    ASSERT_EQ(instrument.size(), 323u);
    EXPECT_EQ(TSamplerName::Decode(instrument.data()), "KICK");
    const auto parameters = editor.Fetch(AddressRequest(5, 2, 0, 1), ShortHeaderSize, 139);
    ASSERT_EQ(parameters.size(), 139u);
    EXPECT_EQ(TSamplerName::Decode(parameters.data()), "UPLOADED");
}

int FindDevice(const std::string& name, bool input) {
    const UINT count = input ? midiInGetNumDevs() : midiOutGetNumDevs();
    for (UINT id = 0; id < count; ++id) {
        char found[MAXPNAMELEN] = {};
        if (input) {
            MIDIINCAPSA caps{};
            midiInGetDevCapsA(id, &caps, sizeof caps);
            std::copy(std::begin(caps.szPname), std::end(caps.szPname), found);
        } else {
            MIDIOUTCAPSA caps{};
            midiOutGetDevCapsA(id, &caps, sizeof caps);
            std::copy(std::begin(caps.szPname), std::end(caps.szPname), found);
        }
        if (name == found) {
            return static_cast<int>(id);
        }
    }
    return -1;
}

TEST(BuiltInSamplerTest, IsDeviceZeroBothWays) {
    const auto sampler = RegisterBuiltInSampler();
    EXPECT_EQ(RegisterBuiltInSampler(), sampler);
    EXPECT_EQ(FindDevice("Virtual EPS", false), 0);
    EXPECT_EQ(FindDevice("Virtual EPS", true), 0);
}

TEST(BuiltInSamplerTest, EditSessionThroughThePorts) {
    const auto peer = RegisterBuiltInSampler();
    {
        TEditor editor(0, 0);
        ASSERT_TRUE(editor.Opened);
        EditSession(editor);
        CheckSessionResult(editor);
        // The play key reaches the sampler.
        editor.Out.NoteOn(60, 121);
        ASSERT_EQ(editor.Ask({0xF0, 0x0F, 0x03, 0x00, 0x40, 0x00, 0x23, 0xF7}), 0);
        EXPECT_EQ(peer->Sampler().Performance().Key, 60);
        EXPECT_EQ(peer->Sampler().Performance().Instrument, 2);
    }
    peer->Sampler().Inspect([](TSamplerModel& model) {
        EXPECT_EQ(model.Instrument(2)->WaveSample(1)->Data, Uploaded);
        EXPECT_EQ(model.Instrument(0)->WaveSample(1)->Data.size(), 88065u);
    });
}

TEST(BuiltInSamplerTest, RepliesWhileTheInputIsClosedAreLost) {
    const auto peer = RegisterBuiltInSampler();
    TMidiOut out;
    out.DeviceID = 0;
    ASSERT_TRUE(out.Open());
    out.SendSysEx(TBytes{0xF0, 0x0F, 0x03, 0x00, 0x40, 0x00, 0x23, 0xF7});
    // Closing waits for the block in flight, so the sampler has it then.
    out.Close();
    ASSERT_TRUE(peer->Sampler().WaitUntilIdle());
    TEditor editor(0, 0);
    ASSERT_TRUE(editor.Opened);
    EXPECT_EQ(editor.In.InputCount(), 0u);
    EXPECT_EQ(editor.Ask({0xF0, 0x0F, 0x03, 0x00, 0x40, 0x00, 0x23, 0xF7}), 0);
}

class StandaloneTest : public ::testing::Test {
protected:
    // Starts the program and adds its socket as a MIDI device.
    void Start(const std::vector<std::string>& extra, TServerSocket socket = TServerSocket::Unix) {
        // Port 0: the program takes a free port and names it.
        std::vector<std::string> arguments = {"--listen", socket == TServerSocket::Unix
                                                              ? "unix:" + Server.SocketPath
                                                              : std::string("tcp:127.0.0.1:0")};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        ASSERT_TRUE(Server.Start(arguments));
        const std::string device = Server.WaitUntilListening();
        ASSERT_FALSE(device.empty()) << Server.Stderr();
        MidiAddDevice(device);
        Output = FindDevice(device, false);
        Input = FindDevice(device, true);
        ASSERT_GE(Output, 0);
        ASSERT_GE(Input, 0);
    }

    TServerProcess Server;
    int Output = -1;
    int Input = -1;
};

class StandaloneSocketTest : public StandaloneTest,
                             public ::testing::WithParamInterface<TServerSocket> {};

TEST_P(StandaloneSocketTest, EditSessionSurvivesARestart) {
    Start({"--log", "--state", Server.StatePath}, GetParam());
    {
        TEditor editor(Output, Input);
        ASSERT_TRUE(editor.Opened);
        EditSession(editor);
    }
    // Each line of the log is written out at once.
    EXPECT_THAT(Server.Stdout(), HasSubstr("Probe 35 -> 0\n"));
    EXPECT_THAT(Server.Stdout(), HasSubstr("CreateWaveSample 2/0/1 as 1 -> 0\n"));
#ifdef _WIN32
    // Ctrl+Break reaches only a program that shares our console, and a test
    // run has none to share: the program cannot be stopped so that it saves
    // its state.
    GTEST_SKIP() << "no console to send Ctrl+Break through";
#endif
    EXPECT_EQ(Server.Stop(), 0);
    EXPECT_TRUE(std::filesystem::exists(Server.StatePath));

    Start({"--state", Server.StatePath}, GetParam());
    TEditor editor(Output, Input);
    ASSERT_TRUE(editor.Opened);
    CheckSessionResult(editor);
}

INSTANTIATE_TEST_SUITE_P(Sockets, StandaloneSocketTest, ::testing::ValuesIn(ServerSockets()),
                         [](const auto& info) { return SocketName(info.param); });

#ifndef _WIN32
TEST_F(StandaloneTest, ReplacesAStaleSocketAndServesTheNextClient) {
    {
        // A socket file left behind by a server that did not end cleanly.
        std::string error;
        const auto address = TSocketAddress::Parse("unix:" + Server.SocketPath, error);
        ASSERT_TRUE(address) << error;
        ASSERT_TRUE(TSocket::Listen(*address, error).IsOpen()) << error;
        ASSERT_TRUE(std::filesystem::exists(Server.SocketPath));
    }
    Start({"--bank", "empty", "--channel", "3"});
    for (int client = 0; client < 2; ++client) {
        TEditor editor(Output, Input);
        ASSERT_TRUE(editor.Opened);
        editor.Send({0xF0, 0x0F, 0x03, 0x02, 0x40, 0x00, 0x23, 0xF7});
        EXPECT_EQ(editor.Read(8), (TBytes{0xF0, 0x0F, 0x03, 0x02, 0x01, 0x00, 0x00, 0xF7}));
        editor.Send({0xF0, 0x0F, 0x03, 0x02, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF7});
        EXPECT_EQ(editor.Read(8), (TBytes{0xF0, 0x0F, 0x03, 0x02, 0x01, 0x00, 0x05, 0xF7}));
    }
    EXPECT_EQ(Server.Stop(), 0);
}
#endif

TEST_F(StandaloneTest, RefusesBadArgumentsClearly) {
    const std::vector<std::vector<std::string>> cases = {
        {"--listen", "tcp:127.0.0.1:0", "--model", "eps32"},
        {"--listen", "tcp:127.0.0.1:0", "--channel", "17"},
        {"--listen", "/tmp/x.sock"},
        {"--baud"},
        {"--model", "eps"},
        {"--listen", "tcp:127.0.0.1:0", "--frobnicate"},
        {"--listen", "tcp:127.0.0.1:0", "--raw-midi", "/dev/null"},
        {"--listen", "tcp:192.168.1.5:5000"},
        {"--listen", "tcp:127.0.0.1:65536"},
    };
    for (const auto& arguments : cases) {
        ASSERT_TRUE(Server.Start(arguments));
        EXPECT_EQ(Server.Wait(), 2);
    }
    const std::string errors = Server.Stderr();
    EXPECT_THAT(errors, HasSubstr("--model takes eps, eps16 or asr, not eps32"));
    EXPECT_THAT(errors, HasSubstr("--channel takes 1 to 16, not 17"));
    EXPECT_THAT(errors, HasSubstr("--listen takes " + std::string(TSocketAddress::Forms()) +
                                  ", not /tmp/x.sock"));
    EXPECT_THAT(errors, HasSubstr("--baud needs a value"));
    EXPECT_THAT(errors,
                HasSubstr("--listen ADDRESS, --raw-midi FILE or --virtual-port is required"));
    EXPECT_THAT(errors, HasSubstr("--listen and --raw-midi cannot be used together"));
    EXPECT_THAT(errors, HasSubstr("unknown option --frobnicate"));
    // Nothing but this computer may reach the sampler.
    EXPECT_THAT(errors, HasSubstr("--listen tcp:192.168.1.5:5000: only this computer's loopback "
                                  "address 127.0.0.1 may be used, not 192.168.1.5"));
    EXPECT_THAT(errors, HasSubstr("tcp: takes 127.0.0.1:PORT with a port of 0 to 65535, not "
                                  "tcp:127.0.0.1:65536"));

    ASSERT_TRUE(Server.Start({"--help"}));
    EXPECT_EQ(Server.Wait(), 0);
    EXPECT_THAT(Server.Stdout(), HasSubstr("--listen unix:PATH"));
    EXPECT_THAT(Server.Stdout(), HasSubstr("--listen tcp:127.0.0.1:PORT"));

    // A state file that is not one: the program does not start.
    std::ofstream(Server.StatePath) << "not a state";
    ASSERT_TRUE(Server.Start({"--listen", "tcp:127.0.0.1:0", "--state", Server.StatePath}));
    EXPECT_EQ(Server.Wait(), 1);
    EXPECT_THAT(Server.Stderr(), HasSubstr("is not a sampler state file"));
}

TEST_F(StandaloneTest, VirtualPortNeedsAMidiSubsystem) {
    if (std::filesystem::exists("/dev/snd/seq")) {
        GTEST_SKIP() << "this machine has a sequencer";
    }
    ASSERT_TRUE(Server.Start({"--virtual-port"}));
    EXPECT_EQ(Server.Wait(), 1);
    EXPECT_THAT(Server.Stderr(), HasSubstr("no MIDI subsystem"));
}

} // namespace
