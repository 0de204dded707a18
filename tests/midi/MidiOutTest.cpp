#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include "midi/MidiError.h"
#include "midi/MidiOut.h"
#include "tests/support/Eventually.h"
#include "tests/support/LoopbackPeer.h"
#include "tests/support/SysEx.h"

namespace {

using ::testing::StrEq;
using ::testing::ThrowsMessage;
using TBytes = std::vector<std::uint8_t>;

class MidiOutTest : public ::testing::Test {
protected:
    void SetUp() override {
        Out.DeviceID = Device.OutputDevice();
        ASSERT_TRUE(Out.Open());
    }

    void TearDown() override { Device.Peer().Release(); }

    void Put(const TBytes& bytes) {
        for (std::uint8_t byte : bytes) {
            Out.PutSysExByte(byte);
        }
    }

    // Everything handed to the driver has been delivered once the port is
    // idle, so the peer's record is complete.
    TBytes Delivered() {
        EXPECT_TRUE(Eventually([this] { return !Out.IsBusy(); }));
        return Device.Peer().Received();
    }

    TLoopbackDevice Device{"MidiOut loopback"};
    TMidiOut Out;
};

TEST(MidiOutOpenTest, NoDeviceOrAnUnknownDeviceDoesNotOpen) {
    TMidiOut port;
    port.DeviceID = -1;
    EXPECT_FALSE(port.Open());
    port.DeviceID = static_cast<std::int32_t>(midiOutGetNumDevs());
    EXPECT_FALSE(port.Open());
    EXPECT_FALSE(port.IsOpen());
    port.Close();
}

TEST_F(MidiOutTest, OpeningAnOpenPortSucceedsAtOnce) {
    Out.DeviceID = -1;
    EXPECT_TRUE(Out.Open());
    Out.Close();
    EXPECT_FALSE(Out.IsOpen());
    Out.Close();
}

TEST_F(MidiOutTest, ChannelIsClampedToOneToSixteen) {
    EXPECT_EQ(Out.Channel(), 1);
    Out.SetChannel(0);
    EXPECT_EQ(Out.Channel(), 1);
    Out.SetChannel(17);
    EXPECT_EQ(Out.Channel(), 16);
    Out.SetChannel(10);
    EXPECT_EQ(Out.Channel(), 10);
    Out.NoteOn(60, 100);
    ASSERT_TRUE(Device.Peer().WaitForReceived(3));
    EXPECT_EQ(Device.Peer().Received(), TBytes({0x99, 60, 100}));
}

TEST_F(MidiOutTest, ChannelMessagesArePackedOnTheirChannel) {
    Out.SetChannel(3);
    Out.NoteOn(60, 100);
    Out.NoteOff(60);
    Out.ProgramChange(5);
    Out.ControlChange(7, 99);
    Out.PolyKeyPressure(61, 33);
    Out.ChannelPressure(44);
    Out.PitchBend(0x2081);
    Out.NoteOn(15, 62, 1);
    Out.NoteOff(0, 62);
    Out.ProgramChange(9, 127);
    Out.ControlChange(1, 64, 0);
    Out.PolyKeyPressure(2, 63, 3);
    Out.ChannelPressure(4, 5);
    Out.PitchBend(5, 0x3FFF);
    Out.SendShortMessage(0xB6, 1, 2);
    const TBytes expected = {0x92, 60, 100,  0x92, 60,   0,    0xC2, 5,    0xB2, 7,  99,
                             0xA2, 61, 33,   0xD2, 44,   0xE2, 0x01, 0x41, 0x9F, 62, 1,
                             0x90, 62, 0,    0xC9, 127,  0xB1, 64,   0,    0xA2, 63, 3,
                             0xD4, 5,  0xE5, 0x7F, 0x7F, 0xB6, 1,    2};
    ASSERT_TRUE(Device.Peer().WaitForReceived(expected.size()));
    EXPECT_EQ(Device.Peer().Received(), expected);
}

TEST_F(MidiOutTest, ChannelMessagesCarryOnlyDataBytes) {
    Out.NoteOn(0x12, 60, 1);
    Out.NoteOn(200, 0x80);
    Out.ControlChange(0xFF, 0x81);
    const TBytes expected = {0x92, 60, 1, 0x90, 72, 0, 0xB0, 0x7F, 0x01};
    ASSERT_TRUE(Device.Peer().WaitForReceived(expected.size()));
    EXPECT_EQ(Device.Peer().Received(), expected);
}

TEST_F(MidiOutTest, AMessageGoesAsOneBlockAtItsF7) {
    const TBytes message = SysExMessage(9);
    Put({message.begin(), message.end() - 1});
    EXPECT_FALSE(Out.IsBusy());
    EXPECT_TRUE(Device.Peer().Received().empty());
    Out.PutSysExByte(0xF7);
    EXPECT_EQ(Delivered(), message);
}

TEST_F(MidiOutTest, AFullBufferGoesWithoutWaitingForF7) {
    const TBytes message = SysExMessage(33001);
    Put({message.begin(), message.begin() + 33000});
    const TBytes firstBlock(message.begin(), message.begin() + TMidiOut::BufferSize);
    EXPECT_EQ(Delivered(), firstBlock);
    Out.PutSysExByte(0xF7);
    EXPECT_EQ(Delivered(), message);
}

TEST_F(MidiOutTest, SendSysExStopsAfterTheFirstF7) {
    const TBytes first = {0xF0, 1, 2, 0xF7, 0x55, 0x66};
    const TBytes second = {0xF0, 3, 0xF7};
    Out.SendSysEx(first);
    Out.SendSysEx(second);
    EXPECT_EQ(Delivered(), TBytes({0xF0, 1, 2, 0xF7, 0xF0, 3, 0xF7}));
}

TEST_F(MidiOutTest, TheNextMessageWaitsForTheBlockInFlight) {
    Device.Peer().Hold();
    Put({0xF0, 1, 0xF7});
    ASSERT_TRUE(Device.Peer().WaitUntilHolding());
    EXPECT_TRUE(Out.IsBusy());
    auto next = std::async(std::launch::async, [this] { Out.PutSysExByte(0xF0); });
    EXPECT_EQ(next.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);
    Device.Peer().Release();
    next.get();
    Put({2, 0xF7});
    EXPECT_EQ(Delivered(), TBytes({0xF0, 1, 0xF7, 0xF0, 2, 0xF7}));
}

TEST_F(MidiOutTest, CloseWaitsForTheBlockInFlight) {
    Device.Peer().Hold();
    Put({0xF0, 1, 0xF7});
    ASSERT_TRUE(Device.Peer().WaitUntilHolding());
    std::thread release([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        Device.Peer().Release();
    });
    Out.Close();
    release.join();
    EXPECT_FALSE(Out.IsOpen());
    EXPECT_EQ(Device.Peer().Received(), TBytes({0xF0, 1, 0xF7}));
}

TEST_F(MidiOutTest, ABlockThatNeverCompletesRaisesAfterTwentySeconds) {
    Device.Peer().Hold();
    Put({0xF0, 1, 0xF7});
    ASSERT_TRUE(Device.Peer().WaitUntilHolding());
    EXPECT_THAT([this] { Out.PutSysExByte(0xF0); },
                ThrowsMessage<EMidiError>(StrEq("error: Midiout takes too long to send data")));
}

TEST_F(MidiOutTest, WhileClosedNothingIsSent) {
    Out.Close();
    Put({0xF0, 1, 0xF7});
    Out.SendSysEx(TBytes{0xF0, 2, 0xF7});
    Out.NoteOn(60, 1);
    Out.SendShortMessage(0x90, 61, 1);
    ASSERT_TRUE(Out.Open());
    Out.NoteOn(62, 1);
    ASSERT_TRUE(Device.Peer().WaitForReceived(3));
    EXPECT_EQ(Device.Peer().Received(), TBytes({0x90, 62, 1}));
}

TEST_F(MidiOutTest, AMessageCutShortByCloseIsNotSentLater) {
    Put({0xF0, 1, 2});
    Out.Close();
    ASSERT_TRUE(Out.Open());
    Put({0xF0, 3, 0xF7});
    EXPECT_EQ(Delivered(), TBytes({0xF0, 3, 0xF7}));
}

} // namespace
