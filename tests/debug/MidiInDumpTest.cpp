// The dump of unread MIDI input: its exact text, and that it always leaves
// the input empty.
#include <gtest/gtest.h>

#include <vector>

#include "debug/DebugDevice.h"
#include "debug/MidiInDump.h"
#include "midi/MidiIn.h"
#include "tests/support/Eventually.h"
#include "tests/support/LoopbackPeer.h"
#include "tests/support/SysEx.h"
#include "tests/support/TraceCapture.h"

namespace {

class MidiInDumpTest : public ::testing::Test {
protected:
    void SetUp() override {
        In.DeviceID = Device.InputDevice();
        ASSERT_TRUE(In.Open());
    }

    void Receive(const std::vector<std::uint8_t>& bytes) {
        ASSERT_TRUE(Device.Peer().SendToProgram(bytes));
        ASSERT_TRUE(Eventually([&] { return In.InputCount() == bytes.size(); }));
    }

    TLoopbackDevice Device{"Dump loopback"};
    TMidiIn In;
};

TEST_F(MidiInDumpTest, WritesSixteenBytesALine) {
    TTraceCapture trace;
    std::vector<std::uint8_t> reply = SysExMessage(18, 1);
    reply[1] = 0x0F;
    reply[2] = 0x03;
    reply[3] = 0x00;
    Receive(reply);

    DumpMidiIn(In);

    EXPECT_EQ(trace.Text(), "** Start of MidiIn Dump **\r\n"
                            "f0 0f 03 00 1d 24 2b 32 39 40 47 4e 55 5c 63 6a  \r\n"
                            "71 f7  \r\n"
                            "** End of MidiIn Dump **\r\n");
    EXPECT_EQ(In.InputCount(), 0u);
}

TEST_F(MidiInDumpTest, EmptyInputWritesTheFrameOnly) {
    TTraceCapture trace;
    DumpMidiIn(In);
    EXPECT_EQ(trace.Text(), "** Start of MidiIn Dump **\r\n \r\n** End of MidiIn Dump **\r\n");
}

TEST_F(MidiInDumpTest, FullLinesAreFollowedByABlankLine) {
    TTraceCapture trace;
    Receive(SysExMessage(16));
    DumpMidiIn(In);
    EXPECT_EQ(trace.Text(), "** Start of MidiIn Dump **\r\n"
                            "f0 07 0e 15 1c 23 2a 31 38 3f 46 4d 54 5b 62 f7  \r\n"
                            " \r\n"
                            "** End of MidiIn Dump **\r\n");
}

TEST_F(MidiInDumpTest, EmptiesTheInputWithoutATrace) {
    TDebugDevice::Close();
    TDebugDevice::SetMedia(dmNull);
    TDebugDevice::Open();
    Receive(SysExMessage(40));
    DumpMidiIn(In);
    EXPECT_EQ(In.InputCount(), 0u);
    TDebugDevice::Close();
}

} // namespace
