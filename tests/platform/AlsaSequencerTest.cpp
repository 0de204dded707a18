// The ALSA provider against a real kernel sequencer, talking to a second
// user-space client the test owns: what it lists, what it sends and receives
// and how it fails. Skipped where there is no sequencer; scripts/test-alsa
// runs it in a guest that has one.
#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <set>
#include <vector>

#include "midi/MidiError.h"
#include "midi/MidiOut.h"
#include "platform/AlsaEventWriter.h"
#include "platform/AlsaProvider.h"
#include "tests/support/AlsaPeer.h"
#include "tests/support/ByteCollector.h"
#include "tests/support/Eventually.h"
#include "tests/support/SysEx.h"

namespace {

using TBytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

// The largest block the editor sends: 10240 words of three bytes and the
// message's frame.
constexpr std::size_t BlockBytes = 30725;

class AlsaSequencerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Peer.Exists()) {
            GTEST_SKIP() << "no ALSA sequencer on this system (scripts/test-alsa runs these)";
        }
    }

    std::size_t IndexOf(const std::vector<std::string>& names) {
        const auto found = std::find(names.begin(), names.end(), PeerName);
        EXPECT_NE(found, names.end()) << PeerName << " is not listed";
        return static_cast<std::size_t>(found - names.begin());
    }
    std::unique_ptr<TMidiInputEndpoint> OpenInput(TByteCollector& sink) {
        return Provider.OpenInput(IndexOf(Provider.InputNames()), sink);
    }
    std::unique_ptr<TMidiOutputEndpoint> OpenOutput() {
        return Provider.OpenOutput(IndexOf(Provider.OutputNames()));
    }

    const std::string PeerName = "Tavimor test peer: Tavimor test peer";
    TAlsaPeer Peer{"Tavimor test peer"};
    TAlsaProvider Provider;
};

TEST_F(AlsaSequencerTest, ListsEveryPortUnderAUniqueClientAndPortName) {
    for (const auto& names : {Provider.InputNames(), Provider.OutputNames()}) {
        EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
        EXPECT_EQ(std::count(names.begin(), names.end(), PeerName), 1)
            << ::testing::PrintToString(names);
    }
    const auto outputs = Provider.OutputNames();
    EXPECT_EQ(Provider.OpenOutput(outputs.size()), nullptr);
}

TEST_F(AlsaSequencerTest, OpensAndClosesTheDevicesOfAPort) {
    for (int round = 0; round < 3; ++round) {
        TByteCollector sink;
        auto input = OpenInput(sink);
        auto output = OpenOutput();
        ASSERT_NE(input, nullptr);
        ASSERT_NE(output, nullptr);
    }
    // Our clients are gone with the devices: only the lister remains.
    snd_seq_query_subscribe_t* query;
    snd_seq_query_subscribe_alloca(&query);
    snd_seq_addr_t address{static_cast<unsigned char>(snd_seq_client_id(Peer.Handle())),
                           static_cast<unsigned char>(Peer.PortNumber())};
    snd_seq_query_subscribe_set_root(query, &address);
    for (auto type : {SND_SEQ_QUERY_SUBS_READ, SND_SEQ_QUERY_SUBS_WRITE}) {
        snd_seq_query_subscribe_set_type(query, type);
        snd_seq_query_subscribe_set_index(query, 0);
        EXPECT_LT(snd_seq_query_port_subscribers(Peer.Handle(), query), 0);
    }
}

TEST_F(AlsaSequencerTest, ShortMessagesGoBothWays) {
    const TBytes messages = {0x90, 0x3C, 0x64, 0xC0, 0x05, 0xF8, 0xE0, 0x00, 0x40};
    TByteCollector sink;
    auto input = OpenInput(sink);
    auto output = OpenOutput();
    ASSERT_TRUE(input && output);

    EXPECT_TRUE(output->Send(messages.data(), messages.size()));
    std::size_t largest = 0;
    EXPECT_EQ(Peer.Receive(messages.size(), largest), messages);

    for (const TBytes& message :
         {TBytes{0x90, 0x3C, 0x64}, TBytes{0xC0, 0x05}, TBytes{0xF8}, TBytes{0xE0, 0x00, 0x40}}) {
        EXPECT_GE(Peer.SendEvent(message, false), 0);
    }
    ASSERT_TRUE(sink.WaitFor(messages.size()));
    EXPECT_EQ(sink.Take(), messages);
}

TEST_F(AlsaSequencerTest, ALargestBlockGoesBothWaysInPacedFragments) {
    const TBytes block = SysExMessage(BlockBytes);
    TByteCollector sink;
    auto input = OpenInput(sink);
    auto output = OpenOutput();
    ASSERT_TRUE(input && output);

    auto sent =
        std::async(std::launch::async, [&] { return output->Send(block.data(), block.size()); });
    std::size_t largest = 0;
    EXPECT_EQ(Peer.Receive(block.size(), largest), block);
    EXPECT_TRUE(sent.get());
    EXPECT_LE(largest, std::size_t{TMidiPieces::MaxFragment});

    TAlsaEventWriter writer;
    EXPECT_TRUE(writer.Write(Peer.Handle(), Peer.PortNumber(), block.data(), block.size()));
    ASSERT_TRUE(sink.WaitFor(block.size()));
    EXPECT_EQ(sink.Take(), block);
}

// Programs that bridge to the sequencer may send a whole block as one event.
TEST_F(AlsaSequencerTest, ABlockSentAsOneEventArrivesWhole) {
    const TBytes block = SysExMessage(BlockBytes, 3);
    TByteCollector sink;
    auto input = OpenInput(sink);
    ASSERT_NE(input, nullptr);

    const int result = Peer.SendEvent(block, true);
    ASSERT_GE(result, 0) << snd_strerror(result);
    ASSERT_TRUE(sink.WaitFor(block.size()));
    EXPECT_EQ(sink.Take(), block);
}

// When the reader falls behind, the sequencer drops what did not fit and
// empties the queue; the rest of the message in progress must not be glued
// onto what was received before.
TEST_F(AlsaSequencerTest, AnOverrunDropsTheMessageInProgressAndSaysSo) {
    ::testing::internal::CaptureStderr();
    TByteCollector sink;
    auto input = OpenInput(sink);
    ASSERT_NE(input, nullptr);
    const TBytes head = {0xF0, 0x0F, 0x03, 0x00, 0x01};
    // Small, so that the queue fills to its last cell.
    const TBytes middle = {0x11, 0x22, 0x33};
    sink.Hold(true);
    ASSERT_GE(Peer.SendEvent(head, true), 0);
    ASSERT_TRUE(Eventually([&] { return sink.CallCount() > 0; }));

    int refused = 0;
    for (int i = 0; i < 5000 && refused == 0; ++i) {
        refused = Peer.SendEvent(middle, true) < 0 ? 1 : 0;
    }
    ASSERT_EQ(refused, 1) << "the sequencer never overflowed";
    sink.Hold(false);
    const TBytes tail = {0x10, 0x20, 0xF7};
    const TBytes next = SysExMessage(40, 2);
    ASSERT_TRUE(Eventually([&] { return Peer.SendEvent(tail, true) >= 0; }));
    ASSERT_GE(Peer.SendEvent(next, true), 0);

    TBytes expected = head;
    expected.insert(expected.end(), next.begin(), next.end());
    ASSERT_TRUE(sink.WaitFor(expected.size()));
    EXPECT_EQ(sink.Take(), expected);
    input.reset();
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("MIDI input overrun"),
              std::string::npos);
}

// A peer whose input pool holds less than one fragment refuses every System
// Exclusive event sent to it.
class AlsaRefusingPeerTest : public AlsaSequencerTest {
protected:
    void SetUp() override {
        AlsaSequencerTest::SetUp();
        if (!IsSkipped()) {
            ASSERT_GE(snd_seq_set_client_pool_input(Peer.Handle(), 1), 0);
        }
    }
};

TEST_F(AlsaRefusingPeerTest, AFragmentTheSequencerRefusesFailsTheSend) {
    auto output = OpenOutput();
    ASSERT_NE(output, nullptr);
    const TBytes message = SysExMessage(600);
    EXPECT_FALSE(output->Send(message.data(), message.size()));
}

TEST_F(AlsaRefusingPeerTest, TheMidiPortRaisesAfterARefusedBlock) {
    TMidiOut port;
    port.DeviceID = -1;
    for (UINT id = 0; id < midiOutGetNumDevs(); ++id) {
        MIDIOUTCAPSA caps;
        if (midiOutGetDevCapsA(id, &caps, sizeof caps) == MMSYSERR_NOERROR &&
            caps.szPname == PeerName) {
            port.DeviceID = static_cast<std::int32_t>(id);
        }
    }
    ASSERT_TRUE(port.Open());
    const TBytes message = SysExMessage(600);
    port.SendSysEx(message);
    EXPECT_THROW(port.SendSysEx(message), EMidiError);
    port.Close();
}

} // namespace
