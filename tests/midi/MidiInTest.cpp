#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "midi/MidiIn.h"
#include "midi/MidiOut.h"
#include "tests/support/Eventually.h"
#include "tests/support/LoopbackPeer.h"
#include "tests/support/SysEx.h"

namespace {

using TBytes = std::vector<std::uint8_t>;

class MidiInTest : public ::testing::Test {
protected:
    void SetUp() override {
        In.DeviceID = Device.InputDevice();
        ASSERT_TRUE(In.Open());
        ASSERT_TRUE(Device.Peer().IsConnected());
    }

    // Sends bytes from the peer and waits until the ring holds count of them.
    void Receive(const TBytes& bytes, std::uint32_t count) {
        ASSERT_TRUE(Device.Peer().SendToProgram(bytes));
        ASSERT_TRUE(Eventually([&] { return In.InputCount() >= count; }));
        EXPECT_EQ(In.InputCount(), count);
    }

    TBytes Read(std::size_t count) {
        TBytes bytes(count);
        for (std::uint8_t& byte : bytes) {
            if (!In.ReadByte(byte)) {
                ADD_FAILURE() << "ReadByte timed out";
                break;
            }
        }
        return bytes;
    }

    TLoopbackDevice Device{"MidiIn loopback"};
    TMidiIn In;
};

TEST(MidiInOpenTest, NoDeviceDoesNotOpen) {
    TMidiIn port;
    port.DeviceID = -1;
    EXPECT_FALSE(port.Open());
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.InputCount(), 0u);
    port.Close();
}

TEST_F(MidiInTest, OpeningAnOpenPortSucceedsAtOnce) {
    In.DeviceID = -1;
    EXPECT_TRUE(In.Open());
    In.Close();
    EXPECT_FALSE(In.IsOpen());
    EXPECT_FALSE(Device.Peer().IsConnected());
    In.Close();
}

TEST_F(MidiInTest, AReplyIsReadInOrderAndThenReadingTimesOut) {
    const TBytes reply = SysExMessage(12);
    Receive(reply, 12);
    EXPECT_EQ(Read(12), reply);
    EXPECT_EQ(In.InputCount(), 0u);
    const auto start = std::chrono::steady_clock::now();
    std::uint8_t byte = 0;
    EXPECT_FALSE(In.ReadByte(byte));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(9900));
}

// The reader sleeps on the ring's count: bytes that arrive in pieces from
// another thread wake it until enough are there.
TEST_F(MidiInTest, WaitForInputWakesWhenEnoughBytesHaveArrived) {
    const TBytes reply = SysExMessage(300);
    std::thread sender([&] {
        for (std::size_t at = 0; at < reply.size(); at += 100) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            Device.Peer().SendToProgram({reply.data() + at, 100});
        }
    });
    EXPECT_TRUE(In.WaitForInput(300, std::chrono::seconds(10)));
    sender.join();
    EXPECT_EQ(Read(300), reply);
}

TEST_F(MidiInTest, WaitForInputGivesUpAfterItsLimitWithFewerBytes) {
    Receive(SysExMessage(8), 8);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(In.WaitForInput(9, std::chrono::milliseconds(200)));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
    EXPECT_EQ(In.InputCount(), 8u);
}

TEST_F(MidiInTest, WithoutAByteTimeoutAnEmptyRingFailsAtOnce) {
    In.ByteTimeout = 0;
    Receive(SysExMessage(2), 2);
    EXPECT_EQ(Read(2), SysExMessage(2));
    const auto start = std::chrono::steady_clock::now();
    std::uint8_t byte = 0;
    EXPECT_FALSE(In.ReadByte(byte));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// A silent line: the waiter is called about every 50 ms, its false ends the
// wait long before the byte time-out, and reads then fail at once, whatever
// the ring holds, until the port is resumed.
TEST_F(MidiInTest, WaiterCalledDuringAWaitCanGiveItUp) {
    int calls = 0;
    In.WhileWaiting = [&calls] { return ++calls < 5; };
    const auto start = std::chrono::steady_clock::now();
    std::uint8_t byte = 0;
    EXPECT_FALSE(In.ReadByte(byte));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(calls, 5);
    EXPECT_GE(took, 4 * TMidiIn::WaiterInterval);
    EXPECT_LT(took, std::chrono::seconds(5));
    EXPECT_TRUE(In.Interrupted());
    EXPECT_TRUE(In.TimedOut());

    Receive({0xF0, 0x01, 0xF7}, 3);
    EXPECT_FALSE(In.ReadByte(byte));
    EXPECT_FALSE(In.WaitForInput(1, std::chrono::seconds(5)));
    EXPECT_EQ(calls, 5);
    In.Resume();
    EXPECT_EQ(Read(3), TBytes({0xF0, 0x01, 0xF7}));
    EXPECT_FALSE(In.TimedOut());
}

TEST_F(MidiInTest, ExpectByteConsumesAByteThatDoesNotMatch) {
    Receive({0xF0, 0x01, 0xF7}, 3);
    EXPECT_TRUE(In.ExpectByte(0xF0));
    EXPECT_FALSE(In.ExpectByte(0x02));
    EXPECT_TRUE(In.ExpectByte(0xF7));
    EXPECT_EQ(In.InputCount(), 0u);
}

TEST_F(MidiInTest, OnlySystemExclusiveBytesReachTheRing) {
    Device.Peer().SendToProgram(TBytes{0x90, 0x3C, 0x40, 0xC1, 0x05, 0xFE});
    const TBytes message = {0xF0, 0x11, 0xF7};
    Receive(message, 3);
    EXPECT_EQ(Read(3), message);
}

TEST_F(MidiInTest, ReadingContinuesAcrossTheEndOfTheRing) {
    const TBytes first = SysExMessage(30000, 1);
    const TBytes second = SysExMessage(5000, 2);
    Receive(first, 30000);
    EXPECT_EQ(Read(first.size()), first);
    Receive(second, 5000);
    EXPECT_EQ(Read(second.size()), second);
    EXPECT_EQ(In.InputCount(), 0u);
}

TEST_F(MidiInTest, ClosingKeepsTheRingAndOpeningEmptiesIt) {
    Receive(SysExMessage(20), 20);
    In.Close();
    EXPECT_EQ(In.InputCount(), 20u);
    EXPECT_TRUE(In.ExpectByte(0xF0));
    ASSERT_TRUE(In.Open());
    EXPECT_EQ(In.InputCount(), 0u);
    const TBytes message = SysExMessage(5, 3);
    Receive(message, 5);
    EXPECT_EQ(Read(5), message);
}

TEST_F(MidiInTest, ClearInputDiscardsWhatIsWaiting) {
    Receive(SysExMessage(40), 40);
    In.ClearInput();
    EXPECT_EQ(In.InputCount(), 0u);
    const TBytes message = SysExMessage(6, 4);
    Receive(message, 6);
    EXPECT_EQ(Read(6), message);
}

// Clearing while the driver stores bytes: the reader's clear must leave the
// driver's write position alone, or the next bytes read are stale ones from
// an earlier pass round the ring. Message k carries k in its first two bytes
// and in every byte after, so a stale message shows as one that is out of
// order or mixed; messages cut short where the ring was full are not checked.
TEST_F(MidiInTest, ClearingWhileBytesArriveNeverYieldsStaleBytes) {
    constexpr int Messages = 16000;
    constexpr std::size_t Length = 40;
    std::thread driver([&] {
        for (int k = 0; k < Messages; ++k) {
            TBytes message(Length, static_cast<std::uint8_t>(k % 128));
            message.front() = 0xF0;
            message[1] = static_cast<std::uint8_t>(k / 128);
            message.back() = 0xF7;
            Device.Peer().SendToProgram(message);
        }
    });
    int last = -1;
    int stale = 0;
    TBytes message;
    std::uint8_t byte = 0;
    // Until the last message was read, or cleared away and all is quiet.
    for (int pass = 0; last < Messages - 1; ++pass) {
        if (In.InputCount() == 0 && !In.WaitForInput(1, std::chrono::seconds(1))) {
            break;
        }
        if (pass % 3 == 0) {
            In.ClearInput();
            message.clear();
        }
        for (std::uint32_t n = In.InputCount(); n > 0 && In.ReadByte(byte); --n) {
            if (byte == 0xF0) {
                message.clear();
            }
            message.push_back(byte);
            if (byte != 0xF7 || message.size() != Length || message.front() != 0xF0) {
                continue;
            }
            const int k = message[1] * 128 + message[2];
            const auto same = std::count(message.begin() + 2, message.end() - 1, message[2]);
            if (k <= last || same != static_cast<std::ptrdiff_t>(Length - 3)) {
                ++stale;
            }
            last = k;
        }
    }
    driver.join();
    EXPECT_EQ(stale, 0);
}

// The longest message the program builds, sent through the output port to a
// peer that echoes it, comes back whole through the input port.
TEST_F(MidiInTest, TheLongestMessageMakesTheRoundTrip) {
    TMidiOut out;
    out.DeviceID = Device.OutputDevice();
    ASSERT_TRUE(out.Open());
    Device.Peer().SetEcho(true);
    const TBytes message = SysExMessage(30725, 5);
    for (std::uint8_t byte : message) {
        out.PutSysExByte(byte);
    }
    EXPECT_EQ(Read(message.size()), message);
    EXPECT_EQ(In.InputCount(), 0u);
}

} // namespace
