// An engine talking through the real ports, Vorrin and the MIDI layer to a
// virtual sampler of its own, with a recorder in front of the sampler that
// keeps every byte the engine sent.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "emulator/VirtualEpsPeer.h"
#include "eps/Eps.h"
#include "tests/eps/EpsRecorders.h"
#include "tests/eps/Replies.h"

class TRecordedSampler : public TMidiLocalPeer {
public:
    static constexpr const char* DeviceName = "Recorded EPS";

    explicit TRecordedSampler(const TSamplerOptions& options) : Inner(options) {}

    std::string Name() const override { return DeviceName; }
    void Connect(TMidiByteSink* toProgram) override { Inner.Connect(toProgram); }
    void FromProgram(const std::uint8_t* data, std::size_t count) override;

    TVirtualSampler& Sampler() { return Inner.Sampler(); }
    // The System Exclusive messages the engine sent so far, in order.
    std::vector<TBytes> Messages() const;

private:
    TVirtualEpsPeer Inner;
    mutable std::mutex Mutex;
    TBytes Bytes;
};

class SamplerTest : public ::testing::Test {
protected:
    void SetUp() override { Start({}); }
    void TearDown() override { Stop(); }

    // A fresh sampler with these options, and the engine's ports set to it
    // (not yet open).
    void Start(const TSamplerOptions& options);
    void Stop();
    void Restart(const TSamplerOptions& options) {
        Stop();
        Start(options);
    }

    TVirtualSampler& Sampler() { return Peer->Sampler(); }
    // The messages sent since the last call; the ports must be open and no
    // reply due.
    std::vector<TBytes> NewMessages();
    // Waits until the sampler has handled everything the engine sent.
    void SettleSampler() { ASSERT_TRUE(Sampler().WaitUntilIdle()); }

    TWaveSample WaveSampleAt(int instrument, int number);
    // Puts a wavesample with this data, its end at the last sample, into a
    // slot, making the instrument and its layer when they are missing.
    void PlaceWaveSample(int instrument, int number, const std::vector<std::int16_t>& data);

    // Opens the ports and checks the connection, then opens a wavesample.
    void OpenWaveSample(int instrument, int number);

    // Waits until the input holds count bytes, as the transfers do.
    void WaitForInput(std::uint32_t count);

    std::shared_ptr<TRecordedSampler> Peer;
    TRecordingOwner Owner;
    TRecordingDialogs Dialogs;
    std::unique_ptr<TEps> Eps;
    std::size_t MessagesSeen = 0;

private:
    static constexpr int MarkerValue = 0x7FF;
};

// The code byte of a command message; 0 for a data message.
inline std::uint8_t CodeOf(const TBytes& message) {
    return message.size() > 5 ? message[4] : 0;
}

// The engine's request with these fields for wavesample number of
// instrument, on channel 1.
TBytes RangeRequest(std::uint8_t code, int instrument, int number, std::int32_t start,
                    std::int32_t end);
