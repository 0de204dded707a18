// The MIDI calls against in-process peers: device listing, the callback
// contract, output ordering and completion, and how received bytes are cut
// into input buffers.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/MidiApi.h"
#include "platform/MidiDevices.h"
#include "tests/support/RequeueingReceiver.h"

namespace {

using namespace std::chrono_literals;
using TBytes = std::vector<std::uint8_t>;

// A peer that records what the program sends and lets the test answer.
class TScriptedPeer : public TMidiLocalPeer {
public:
    explicit TScriptedPeer(std::string name) : PeerName(std::move(name)) {}
    std::string Name() const override { return PeerName; }
    void Connect(TMidiByteSink* sink) override {
        std::lock_guard lock(Mutex);
        Sink = sink;
    }
    void FromProgram(const std::uint8_t* data, std::size_t count) override {
        std::lock_guard lock(Mutex);
        Sent.insert(Sent.end(), data, data + count);
        Pieces.emplace_back(data, data + count);
    }
    void Answer(const TBytes& bytes) {
        std::lock_guard lock(Mutex);
        if (Sink != nullptr) {
            Sink->Received(bytes.data(), bytes.size());
        }
    }
    std::vector<TBytes> TakePieces() {
        std::lock_guard lock(Mutex);
        return std::exchange(Pieces, {});
    }

private:
    std::string PeerName;
    std::mutex Mutex;
    TMidiByteSink* Sink = nullptr;
    TBytes Sent;
    std::vector<TBytes> Pieces;
};

struct TEvent {
    UINT Message;
    DWORD_PTR Param1;
    DWORD Bytes; // bytes recorded, for MIM_LONGDATA
    TBytes Data;
    std::thread::id Thread;
};

// Collects callbacks; the instance value points to it.
class TCallbackLog {
public:
    static void Callback(TMidiHandleRecord*, UINT message, DWORD_PTR instance, DWORD_PTR p1,
                         DWORD_PTR) {
        auto* log = reinterpret_cast<TCallbackLog*>(instance);
        TEvent event{message, p1, 0, {}, std::this_thread::get_id()};
        if (message == MIM_LONGDATA) {
            const auto* header = reinterpret_cast<MIDIHDR*>(p1);
            event.Bytes = header->dwBytesRecorded;
            event.Data.assign(header->lpData, header->lpData + header->dwBytesRecorded);
        }
        std::lock_guard lock(log->Mutex);
        log->Events.push_back(event);
        log->Changed.notify_all();
    }

    DWORD_PTR Instance() { return reinterpret_cast<DWORD_PTR>(this); }

    // Waits until `count` events of that message have arrived.
    std::vector<TEvent> WaitFor(UINT message, std::size_t count = 1) {
        std::unique_lock lock(Mutex);
        Changed.wait_for(lock, 5s, [&] { return Matching(message).size() >= count; });
        return Matching(message);
    }

private:
    std::vector<TEvent> Matching(UINT message) const {
        std::vector<TEvent> found;
        for (const auto& e : Events) {
            if (e.Message == message) {
                found.push_back(e);
            }
        }
        return found;
    }

    std::mutex Mutex;
    std::condition_variable Changed;
    std::vector<TEvent> Events;
};

// Registers one fresh peer per test; it is the only in-process device.
class MidiLayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        Peer = std::make_shared<TScriptedPeer>("Test Peer");
        ASSERT_TRUE(MidiRegisterLocalPeer(Peer));
    }
    void TearDown() override { MidiUnregisterLocalPeer("Test Peer"); }

    HMIDIOUT OpenOut() {
        HMIDIOUT out = nullptr;
        EXPECT_EQ(midiOutOpen(&out, 0, reinterpret_cast<DWORD_PTR>(&TCallbackLog::Callback),
                              OutLog.Instance(), CALLBACK_FUNCTION),
                  MMSYSERR_NOERROR);
        OutLog.WaitFor(MOM_OPEN);
        return out;
    }

    HMIDIIN OpenIn() {
        HMIDIIN in = nullptr;
        EXPECT_EQ(midiInOpen(&in, 0, reinterpret_cast<DWORD_PTR>(&TCallbackLog::Callback),
                             InLog.Instance(), CALLBACK_FUNCTION),
                  MMSYSERR_NOERROR);
        InLog.WaitFor(MIM_OPEN);
        return in;
    }

    void Queue(HMIDIIN in, MIDIHDR& header, std::vector<char>& buffer) {
        std::memset(&header, 0, sizeof(header));
        header.lpData = buffer.data();
        header.dwBufferLength = static_cast<DWORD>(buffer.size());
        ASSERT_EQ(midiInPrepareHeader(in, &header, sizeof(header)), MMSYSERR_NOERROR);
        ASSERT_EQ(midiInAddBuffer(in, &header, sizeof(header)), MMSYSERR_NOERROR);
    }

    void CloseIn(HMIDIIN in) {
        EXPECT_EQ(midiInReset(in), MMSYSERR_NOERROR);
        EXPECT_EQ(midiInClose(in), MMSYSERR_NOERROR);
    }

    std::shared_ptr<TScriptedPeer> Peer;
    TCallbackLog OutLog;
    TCallbackLog InLog;
};

TEST_F(MidiLayerTest, ListsInProcessPeersFirstWithTheirNames) {
    ASSERT_GE(midiOutGetNumDevs(), 1u);
    ASSERT_GE(midiInGetNumDevs(), 1u);
    MIDIOUTCAPSA outCaps;
    MIDIINCAPSA inCaps;
    ASSERT_EQ(midiOutGetDevCapsA(0, &outCaps, sizeof(outCaps)), MMSYSERR_NOERROR);
    ASSERT_EQ(midiInGetDevCapsA(0, &inCaps, sizeof(inCaps)), MMSYSERR_NOERROR);
    EXPECT_STREQ(outCaps.szPname, "Test Peer");
    EXPECT_STREQ(inCaps.szPname, "Test Peer");
    EXPECT_EQ(midiOutGetDevCapsA(midiOutGetNumDevs(), &outCaps, sizeof(outCaps)),
              MMSYSERR_BADDEVICEID);
    EXPECT_FALSE(MidiRegisterLocalPeer(std::make_shared<TScriptedPeer>("Test Peer")));
}

TEST_F(MidiLayerTest, RefusesStaleHandlesAndBadDevices) {
    HMIDIOUT out = nullptr;
    EXPECT_EQ(midiOutOpen(&out, 9999, 0, 0, CALLBACK_NULL), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(midiOutShortMsg(nullptr, 0x90), MMSYSERR_INVALHANDLE);
    out = OpenOut();
    ASSERT_EQ(midiOutClose(out), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutShortMsg(out, 0x403C90), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(midiInStart(nullptr), MMSYSERR_INVALHANDLE);
}

TEST_F(MidiLayerTest, OutputKeepsOrderAndReportsEachLongMessageDone) {
    HMIDIOUT out = OpenOut();
    char sysex[] = {char(0xF0), 0x0F, 0x03, 0x00, 0x40, 0x00, 0x23, char(0xF7)};
    MIDIHDR header{};
    header.lpData = sysex;
    header.dwBufferLength = sizeof(sysex);
    EXPECT_EQ(midiOutLongMsg(out, &header, sizeof(header)), MIDIERR_UNPREPARED);
    ASSERT_EQ(midiOutPrepareHeader(out, &header, sizeof(header)), MMSYSERR_NOERROR);

    ASSERT_EQ(midiOutShortMsg(out, 0x0002C0), MMSYSERR_NOERROR);
    ASSERT_EQ(midiOutLongMsg(out, &header, sizeof(header)), MMSYSERR_NOERROR);
    ASSERT_EQ(midiOutShortMsg(out, 0x793C90), MMSYSERR_NOERROR);
    const auto done = OutLog.WaitFor(MOM_DONE);
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].Param1, reinterpret_cast<DWORD_PTR>(&header));
    EXPECT_NE(done[0].Thread, std::this_thread::get_id());
    EXPECT_TRUE(header.dwFlags & MHDR_DONE);
    EXPECT_FALSE(header.dwFlags & MHDR_INQUEUE);
    EXPECT_EQ(midiOutUnprepareHeader(out, &header, sizeof(header)), MMSYSERR_NOERROR);

    ASSERT_EQ(midiOutClose(out), MMSYSERR_NOERROR);
    EXPECT_EQ(OutLog.WaitFor(MOM_CLOSE).size(), 1u);
    const auto pieces = Peer->TakePieces();
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0], (TBytes{0xC0, 0x02}));
    EXPECT_EQ(pieces[1], TBytes(sysex, sysex + sizeof(sysex)));
    EXPECT_EQ(pieces[2], (TBytes{0x90, 0x3C, 0x79}));
}

TEST_F(MidiLayerTest, InputReturnsABufferAtEachMessageEndAndWhenFull) {
    HMIDIIN in = OpenIn();
    std::vector<char> b1(8), b2(8), b3(8);
    MIDIHDR h1, h2, h3;
    Queue(in, h1, b1);
    Queue(in, h2, b2);
    Queue(in, h3, b3);
    ASSERT_EQ(midiInStart(in), MMSYSERR_NOERROR);
    // A 5-byte message, then a 12-byte one: the second fills one buffer and
    // ends in the next; no buffer holds bytes of both.
    Peer->Answer({0xF0, 0x0F, 0x03, 0x00, 0xF7});
    Peer->Answer({0xF0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0xF7});
    const auto data = InLog.WaitFor(MIM_LONGDATA, 3);
    ASSERT_EQ(data.size(), 3u);
    EXPECT_EQ(data[0].Data, (TBytes{0xF0, 0x0F, 0x03, 0x00, 0xF7}));
    EXPECT_EQ(data[1].Data, (TBytes{0xF0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(data[2].Data, (TBytes{8, 9, 10, 0xF7}));
    EXPECT_NE(data[0].Thread, std::this_thread::get_id());
    EXPECT_TRUE(h1.dwFlags & MHDR_DONE);
    CloseIn(in);
}

// A message that starts before the last one ended: returning the
// unterminated one takes the only queued buffer, and the new message waits
// for the next buffer instead of being stored into none.
TEST_F(MidiLayerTest, AMessageCutShortByTheNextTakesTheLastBufferAndTheNextWaits) {
    HMIDIIN in = OpenIn();
    std::vector<char> b1(16), b2(16);
    MIDIHDR h1, h2;
    Queue(in, h1, b1);
    ASSERT_EQ(midiInStart(in), MMSYSERR_NOERROR);
    Peer->Answer({0xF0, 0x01, 0x02, 0xF0, 0x03, 0xF7});
    ASSERT_EQ(InLog.WaitFor(MIM_LONGDATA).size(), 1u);
    Queue(in, h2, b2);
    const auto data = InLog.WaitFor(MIM_LONGDATA, 2);
    ASSERT_EQ(data.size(), 2u);
    EXPECT_EQ(data[0].Data, (TBytes{0xF0, 0x01, 0x02}));
    EXPECT_EQ(data[1].Data, (TBytes{0xF0, 0x03, 0xF7}));
    CloseIn(in);
}

TEST_F(MidiLayerTest, ShortMessagesArriveAsDataAndInterruptNothing) {
    HMIDIIN in = OpenIn();
    std::vector<char> buffer(64);
    MIDIHDR header;
    Queue(in, header, buffer);
    ASSERT_EQ(midiInStart(in), MMSYSERR_NOERROR);
    // A clock tick inside a System Exclusive message, then a note with
    // running status.
    Peer->Answer({0xF0, 0x01, 0xF8, 0x02, 0xF7, 0x90, 0x3C, 0x40, 0x3E, 0x00});
    const auto shorts = InLog.WaitFor(MIM_DATA, 3);
    ASSERT_EQ(shorts.size(), 3u);
    EXPECT_EQ(shorts[0].Param1, 0xF8u);
    EXPECT_EQ(shorts[1].Param1, 0x403C90u);
    EXPECT_EQ(shorts[2].Param1, 0x003E90u);
    const auto data = InLog.WaitFor(MIM_LONGDATA);
    ASSERT_EQ(data.size(), 1u);
    EXPECT_EQ(data[0].Data, (TBytes{0xF0, 0x01, 0x02, 0xF7}));
    CloseIn(in);
}

TEST_F(MidiLayerTest, InputBeforeStartIsDiscardedAndResetReturnsEveryBuffer) {
    HMIDIIN in = OpenIn();
    std::vector<char> b1(16), b2(16);
    MIDIHDR h1, h2;
    Queue(in, h1, b1);
    Queue(in, h2, b2);
    Peer->Answer({0xF0, 0x11, 0xF7});
    ASSERT_EQ(midiInStart(in), MMSYSERR_NOERROR);
    Peer->Answer({0xF0, 0x22});
    EXPECT_EQ(midiInClose(in), MIDIERR_STILLPLAYING);
    ASSERT_EQ(midiInReset(in), MMSYSERR_NOERROR);
    const auto data = InLog.WaitFor(MIM_LONGDATA, 2);
    ASSERT_EQ(data.size(), 2u);
    EXPECT_EQ(data[0].Data, (TBytes{0xF0, 0x22}));
    EXPECT_EQ(data[1].Bytes, 0u);
    ASSERT_EQ(midiInClose(in), MMSYSERR_NOERROR);
    EXPECT_EQ(InLog.WaitFor(MIM_CLOSE).size(), 1u);
}

TEST_F(MidiLayerTest, BuffersRequeuedFromTheCallbackKeepALongMessageWhole) {
    // The way the program's callback works: every returned buffer goes
    // straight back to the layer from inside the callback.
    TRequeueingReceiver receiver;
    HMIDIIN in = nullptr;
    ASSERT_EQ(midiInOpen(&in, 0, reinterpret_cast<DWORD_PTR>(&TRequeueingReceiver::Callback),
                         receiver.Instance(), CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    std::vector<char> b1(1000), b2(1000);
    MIDIHDR h1, h2;
    Queue(in, h1, b1);
    Queue(in, h2, b2);
    ASSERT_EQ(midiInStart(in), MMSYSERR_NOERROR);
    TBytes message(30725);
    for (std::size_t i = 0; i < message.size(); ++i) {
        message[i] = static_cast<std::uint8_t>(i % 128);
    }
    message.front() = 0xF0;
    message.back() = 0xF7;
    for (std::size_t at = 0; at < message.size(); at += 4096) {
        Peer->Answer(
            TBytes(message.begin() + at, message.begin() + std::min(message.size(), at + 4096)));
    }
    EXPECT_EQ(receiver.WaitFor(message.size()), message);
    receiver.Closing = true;
    CloseIn(in);
}

// A program may end through exit() with its devices still open (a GUI whose
// display connection broke does): the exit handlers must not tear down open
// devices under their driver threads, whose callbacks still hand buffers back.
TEST_F(MidiLayerTest, ExitWithOpenDevicesEndsCleanly) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto exitWhileReceiving = [this] {
        TRequeueingReceiver receiver;
        HMIDIIN in = nullptr;
        midiInOpen(&in, 0, reinterpret_cast<DWORD_PTR>(&TRequeueingReceiver::Callback),
                   receiver.Instance(), CALLBACK_FUNCTION);
        std::vector<char> b1(100), b2(100);
        MIDIHDR h1, h2;
        Queue(in, h1, b1);
        Queue(in, h2, b2);
        midiInStart(in);
        HMIDIOUT out = OpenOut();
        midiOutShortMsg(out, 0x403C90);
        Peer->Answer({0xF0, 1, 2, 0xF7});
        receiver.WaitFor(4);
        std::exit(0);
    };
    EXPECT_EXIT(exitWhileReceiving(), ::testing::ExitedWithCode(0), "");
}

TEST_F(MidiLayerTest, APeerTalksToOneInputAtATime) {
    HMIDIIN first = OpenIn();
    HMIDIIN second = nullptr;
    EXPECT_EQ(midiInOpen(&second, 0, 0, 0, CALLBACK_NULL), MMSYSERR_ALLOCATED);
    CloseIn(first);
    ASSERT_EQ(midiInOpen(&second, 0, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    CloseIn(second);
}

} // namespace
