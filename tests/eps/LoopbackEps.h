// An engine whose ports reach a loopback peer: what it sends is recorded,
// and the test plays the sampler by feeding bytes into its input.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "eps/Eps.h"
#include "tests/eps/EpsRecorders.h"
#include "tests/eps/Replies.h"
#include "tests/support/Eventually.h"
#include "tests/support/LoopbackPeer.h"
#include "tests/support/TraceCapture.h"

class LoopbackEpsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Eps->MidiIn->DeviceID = Device.InputDevice();
        Eps->MidiOut->DeviceID = Device.OutputDevice();
        ASSERT_TRUE(Eps->MidiIn->Open());
        ASSERT_TRUE(Eps->MidiOut->Open());
    }

    // Puts bytes into the engine's input and waits until they are there.
    void Feed(const TBytes& bytes) {
        const std::uint32_t before = Eps->MidiIn->InputCount();
        ASSERT_TRUE(Device.Peer().SendToProgram(bytes));
        ASSERT_TRUE(Eventually([&] { return Eps->MidiIn->InputCount() >= before + bytes.size(); }));
    }

    // The next count bytes the engine sent, once they have arrived.
    TBytes TakeSent(std::size_t count) {
        EXPECT_TRUE(Device.Peer().WaitForReceived(Taken + count));
        const TBytes all = Device.Peer().Received();
        const std::size_t end = std::min(all.size(), Taken + count);
        TBytes taken(all.begin() + static_cast<std::ptrdiff_t>(Taken),
                     all.begin() + static_cast<std::ptrdiff_t>(end));
        Taken = end;
        return taken;
    }

    // Sending is asynchronous: a marker sent now arrives after anything the
    // engine sent before, so it is the next message only if there was none.
    void ExpectNothingSent() {
        Eps->SendProbe(0x7FF);
        EXPECT_EQ(TakeSent(8), TReply(Eps->MidiOut->Channel()).Byte(0x40).Word12(0x7FF).End());
    }

    TLoopbackDevice Device{"Eps loopback"};
    TRecordingOwner Owner;
    TRecordingDialogs Dialogs;
    std::unique_ptr<TEps> Eps = std::make_unique<TEps>(&Owner, &Dialogs);
    TTraceCapture Trace;
    std::size_t Taken = 0;
};

inline const TBytes AckMessage = {0xF0, 0x0F, 0x03, 0x00, 0x01, 0x00, 0x00, 0xF7};
