#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "tests/support/Eventually.h"
#include "tests/support/LoopbackPeer.h"
#include "tests/support/SysEx.h"
#include "vorrin/Vorrin.h"

namespace {

using TBytes = std::vector<std::uint8_t>;

constexpr std::int32_t Slot = 7;

// Closed and idle, no ring: the state of a slot when the library is loaded.
void ResetSlot(std::int32_t slot) {
    MidiOutHandler(nullptr, MOM_OPEN, slot, 0, 0);
    MidiOutHandler(nullptr, MOM_CLOSE, slot, 0, 0);
    MidiInHandler(nullptr, MIM_CLOSE, slot, 0, 0);
    MIDIINSETBUFFER(nullptr, slot);
}

// The unread bytes, from ReadIndex on.
TBytes Contents(const MidiInRing& ring) {
    TBytes bytes;
    std::uint32_t read = ring.ReadIndex;
    for (std::uint32_t i = 0; i < ring.Count; ++i) {
        bytes.push_back(ring.Data[read]);
        read = (read + 1) % MidiInRingSize;
    }
    return bytes;
}

void Place(MidiInRing& ring, std::uint32_t position, std::uint32_t count) {
    ring.ReadIndex = position;
    ring.WriteIndex = (position + count) % MidiInRingSize;
    ring.Count = count;
}

// Hands bytes to the handler as a returned input buffer.
void DeliverBuffer(TBytes& bytes, HMIDIIN handle = nullptr) {
    MIDIHDR header{};
    header.lpData = reinterpret_cast<char*>(bytes.data());
    header.dwBufferLength = static_cast<DWORD>(bytes.size());
    header.dwBytesRecorded = static_cast<DWORD>(bytes.size());
    MidiInHandler(handle, MIM_LONGDATA, Slot, reinterpret_cast<DWORD_PTR>(&header), 0);
}

class VorrinTest : public ::testing::Test {
protected:
    void SetUp() override { ResetSlot(Slot); }
    void TearDown() override { ResetSlot(Slot); }

    std::unique_ptr<MidiInRing> Ring = std::make_unique<MidiInRing>();
};

TEST_F(VorrinTest, OutputFlagsFollowTheNotifications) {
    EXPECT_FALSE(MIDIOUTISOPEN(Slot));
    MidiOutHandler(nullptr, MOM_OPEN, Slot, 0, 0);
    EXPECT_TRUE(MIDIOUTISOPEN(Slot));
    EXPECT_FALSE(MIDIOUTISBUSY(Slot));

    MIDIOUTMARKBUSY(Slot);
    EXPECT_TRUE(MIDIOUTISBUSY(Slot));
    MidiOutHandler(nullptr, MIM_OPEN, Slot, 0, 0);
    EXPECT_TRUE(MIDIOUTISBUSY(Slot)) << "an unrelated code must change nothing";
    MidiOutHandler(nullptr, MOM_DONE, Slot, 0, 0);
    EXPECT_FALSE(MIDIOUTISBUSY(Slot));
    EXPECT_TRUE(MIDIOUTISOPEN(Slot));

    MidiOutHandler(nullptr, MOM_CLOSE, Slot, 0, 0);
    EXPECT_FALSE(MIDIOUTISOPEN(Slot));
}

TEST_F(VorrinTest, CloseLeavesBusySetUntilTheNextOpen) {
    MidiOutHandler(nullptr, MOM_OPEN, Slot, 0, 0);
    MIDIOUTMARKBUSY(Slot);
    MidiOutHandler(nullptr, MOM_CLOSE, Slot, 0, 0);
    EXPECT_TRUE(MIDIOUTISBUSY(Slot));
    MidiOutHandler(nullptr, MOM_OPEN, Slot, 0, 0);
    EXPECT_FALSE(MIDIOUTISBUSY(Slot));
}

TEST_F(VorrinTest, SlotsAndDirectionsAreIndependent) {
    ResetSlot(Slot + 1);
    MidiOutHandler(nullptr, MOM_OPEN, Slot, 0, 0);
    MIDIOUTMARKBUSY(Slot);
    EXPECT_FALSE(MIDIINISOPEN(Slot));
    EXPECT_FALSE(MIDIOUTISOPEN(Slot + 1));
    EXPECT_FALSE(MIDIOUTISBUSY(Slot + 1));

    MidiInHandler(nullptr, MIM_OPEN, Slot + 1, 0, 0);
    EXPECT_TRUE(MIDIINISOPEN(Slot + 1));
    EXPECT_FALSE(MIDIINISOPEN(Slot));
    EXPECT_FALSE(MIDIOUTISOPEN(Slot + 1));
    ResetSlot(Slot + 1);
}

TEST_F(VorrinTest, InputOpenEmptiesTheRegisteredRing) {
    MIDIINSETBUFFER(Ring.get(), Slot);
    Place(*Ring, 100, 20);
    MidiInHandler(nullptr, MIM_OPEN, Slot, 0, 0);
    EXPECT_TRUE(MIDIINISOPEN(Slot));
    EXPECT_EQ(Ring->ReadIndex, 0u);
    EXPECT_EQ(Ring->WriteIndex, 0u);
    EXPECT_EQ(Ring->Count, 0u);
    MidiInHandler(nullptr, MIM_CLOSE, Slot, 0, 0);
    EXPECT_FALSE(MIDIINISOPEN(Slot));
}

TEST_F(VorrinTest, InputFlagsWorkWithoutARing) {
    MidiInHandler(nullptr, MIM_OPEN, Slot, 0, 0);
    EXPECT_TRUE(MIDIINISOPEN(Slot));
    MidiInHandler(nullptr, MIM_CLOSE, Slot, 0, 0);
    EXPECT_FALSE(MIDIINISOPEN(Slot));
}

TEST_F(VorrinTest, AnUnregisteredRingIsLeftAlone) {
    MIDIINSETBUFFER(Ring.get(), Slot);
    MIDIINSETBUFFER(nullptr, Slot);
    Place(*Ring, 5, 3);
    MidiInHandler(nullptr, MIM_OPEN, Slot, 0, 0);
    MIDIINREQUESTCLOSE(Slot);
    TBytes bytes = SysExMessage(4, 1);
    DeliverBuffer(bytes);
    EXPECT_EQ(Ring->Count, 3u);
    EXPECT_EQ(Ring->ReadIndex, 5u);
    EXPECT_EQ(Ring->WriteIndex, 8u);
}

TEST_F(VorrinTest, ShortMessagesAndDriverErrorsChangeNothing) {
    MIDIINSETBUFFER(Ring.get(), Slot);
    MidiInHandler(nullptr, MIM_OPEN, Slot, 0, 0);
    Place(*Ring, 10, 2);
    TBytes bytes = SysExMessage(6, 2);
    MIDIHDR header{};
    header.lpData = reinterpret_cast<char*>(bytes.data());
    header.dwBytesRecorded = static_cast<DWORD>(bytes.size());
    MidiInHandler(nullptr, MIM_DATA, Slot, 0x00403C90, 1234);
    MidiInHandler(nullptr, MIM_DATA, Slot, 0xF0, 0);
    MidiInHandler(nullptr, MIM_ERROR, Slot, 0x90, 0);
    MidiInHandler(nullptr, MIM_LONGERROR, Slot, reinterpret_cast<DWORD_PTR>(&header), 0);
    EXPECT_EQ(Ring->Count, 2u);
    EXPECT_EQ(Ring->ReadIndex, 10u);
    EXPECT_EQ(Ring->WriteIndex, 12u);
    EXPECT_TRUE(MIDIINISOPEN(Slot));
}

// A close request keeps the handler from calling the driver, so a buffer can
// be handed over without a device behind it.
TEST_F(VorrinTest, ReceivedBytesContinueAcrossTheEndOfTheRing) {
    MIDIINSETBUFFER(Ring.get(), Slot);
    MIDIINREQUESTCLOSE(Slot);
    Place(*Ring, MidiInRingSize - 2, 0);
    TBytes bytes = {0xF0, 0x11, 0x22, 0x33, 0xF7};
    DeliverBuffer(bytes);
    EXPECT_EQ(Ring->WriteIndex, 3u);
    EXPECT_EQ(Ring->Count, 5u);
    EXPECT_EQ(Ring->Data[MidiInRingSize - 2], 0xF0);
    EXPECT_EQ(Ring->Data[MidiInRingSize - 1], 0x11);
    EXPECT_EQ(Contents(*Ring), bytes);
}

TEST_F(VorrinTest, AFullRingKeepsOnlyTheLeadingPartOfABuffer) {
    MIDIINSETBUFFER(Ring.get(), Slot);
    MIDIINREQUESTCLOSE(Slot);
    Place(*Ring, 0, MidiInRingSize - 3);
    TBytes bytes = {0xF0, 1, 2, 3, 4, 5, 0xF7};
    DeliverBuffer(bytes);
    EXPECT_EQ(Ring->Count, MidiInRingSize);
    EXPECT_EQ(Ring->WriteIndex, 0u);
    EXPECT_EQ(Ring->Data[MidiInRingSize - 3], 0xF0);
    EXPECT_EQ(Ring->Data[MidiInRingSize - 1], 2);
}

// What the driver sees: the notifications go to Vorrin, and for every buffer
// returned we note whether Vorrin gave it back before returning.
struct TRequeueLog {
    std::mutex Mutex;
    std::vector<bool> Requeued;

    std::size_t Size() {
        std::lock_guard lock(Mutex);
        return Requeued.size();
    }
    std::vector<bool> Copy() {
        std::lock_guard lock(Mutex);
        return Requeued;
    }
};

TRequeueLog Log;

void Forward(HMIDIIN handle, UINT message, DWORD_PTR slot, DWORD_PTR param1, DWORD_PTR param2) {
    MidiInHandler(handle, message, slot, param1, param2);
    if (message == MIM_LONGDATA) {
        const auto* header = reinterpret_cast<const MIDIHDR*>(param1);
        std::lock_guard lock(Log.Mutex);
        Log.Requeued.push_back((header->dwFlags & MHDR_INQUEUE) != 0);
    }
}

// Vorrin on a real input device of the MIDI layer, fed by a loopback peer.
class VorrinDeviceTest : public VorrinTest {
protected:
    void SetUp() override {
        VorrinTest::SetUp();
        std::lock_guard lock(Log.Mutex);
        Log.Requeued.clear();
    }

    void TearDown() override {
        if (Handle != nullptr) {
            MIDIINREQUESTCLOSE(Slot);
            midiInReset(Handle);
            for (auto& header : Headers) {
                midiInUnprepareHeader(Handle, &header, sizeof(MIDIHDR));
            }
            EXPECT_EQ(midiInClose(Handle), MMSYSERR_NOERROR);
        }
        VorrinTest::TearDown();
    }

    void Open(std::size_t bufferSize, std::size_t bufferCount = 1) {
        ASSERT_EQ(midiInOpen(&Handle, Device.InputDevice(), reinterpret_cast<DWORD_PTR>(&Forward),
                             Slot, CALLBACK_FUNCTION),
                  MMSYSERR_NOERROR);
        ASSERT_TRUE(Eventually([] { return MIDIINISOPEN(Slot) != 0; }));
        for (std::size_t i = 0; i < bufferCount; ++i) {
            Buffers.emplace_back(bufferSize);
            MIDIHDR& header = Headers.emplace_back();
            header.lpData = Buffers.back().data();
            header.dwBufferLength = static_cast<DWORD>(bufferSize);
            midiInPrepareHeader(Handle, &header, sizeof(MIDIHDR));
            ASSERT_EQ(midiInAddBuffer(Handle, &header, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
        }
        midiInStart(Handle);
    }

    // Sends a message and waits until the driver has returned buffers for it.
    void Receive(const TBytes& message, std::size_t returnedBuffers = 1) {
        const std::size_t before = Log.Size();
        ASSERT_TRUE(Device.Peer().SendToProgram(message));
        ASSERT_TRUE(Eventually([&] { return Log.Size() >= before + returnedBuffers; }));
    }

    TLoopbackDevice Device{"Vorrin loopback"};
    HMIDIIN Handle = nullptr;
    std::deque<std::vector<char>> Buffers;
    std::deque<MIDIHDR> Headers;
};

TEST_F(VorrinDeviceTest, BuffersGoBackToTheDriverAndBytesArriveInOrder) {
    MIDIINSETBUFFER(Ring.get(), Slot);
    Open(64);
    const TBytes first = {0xF0, 0x01, 0x02, 0xF7};
    const TBytes second = {0xF0, 0x03, 0xF7};
    Receive(first);
    Receive(second);
    EXPECT_EQ(Log.Copy(), std::vector<bool>({true, true}));
    TBytes both = first;
    both.insert(both.end(), second.begin(), second.end());
    EXPECT_EQ(Contents(*Ring), both);
}

TEST_F(VorrinDeviceTest, AMessageLongerThanABufferIsStoredSeamlessly) {
    MIDIINSETBUFFER(Ring.get(), Slot);
    Open(16, 2);
    const TBytes message = SysExMessage(50);
    Receive(message, 4);
    EXPECT_EQ(Contents(*Ring), message);
    EXPECT_EQ(Log.Copy(), std::vector<bool>(4, true));
}

TEST_F(VorrinDeviceTest, AfterACloseRequestABufferIsCopiedButKept) {
    MIDIINSETBUFFER(Ring.get(), Slot);
    Open(64);
    MIDIINREQUESTCLOSE(Slot);
    const TBytes message = {0xF0, 0x05, 0xF7};
    Receive(message);
    EXPECT_EQ(Log.Copy(), std::vector<bool>({false}));
    EXPECT_EQ(Contents(*Ring), message);
}

TEST_F(VorrinDeviceTest, OpenAndCloseNotificationsClearTheCloseRequest) {
    Open(64);
    MIDIINREQUESTCLOSE(Slot);
    MidiInHandler(Handle, MIM_CLOSE, Slot, 0, 0);
    Receive({0xF0, 0x01, 0xF7});
    MIDIINREQUESTCLOSE(Slot);
    MidiInHandler(Handle, MIM_OPEN, Slot, 0, 0);
    Receive({0xF0, 0x02, 0xF7});
    EXPECT_EQ(Log.Copy(), std::vector<bool>({true, true}));
}

TEST_F(VorrinDeviceTest, AFullRingLosesTheNextBufferButBothGoBack) {
    MIDIINSETBUFFER(Ring.get(), Slot);
    Open(MidiInRingSize);
    const TBytes full = SysExMessage(MidiInRingSize, 0x11);
    Receive(full);
    Receive(SysExMessage(100, 0x22));
    EXPECT_EQ(Log.Copy(), std::vector<bool>({true, true}));
    EXPECT_EQ(Ring->Count, MidiInRingSize);
    EXPECT_EQ(Contents(*Ring), full);
}

TEST_F(VorrinDeviceTest, WithoutARingBuffersStillGoBack) {
    Open(64);
    Receive({0xF0, 0x01, 0xF7});
    EXPECT_EQ(Log.Copy(), std::vector<bool>({true}));
    EXPECT_TRUE(MIDIINISOPEN(Slot));
}

} // namespace
