// Drives the sampler's protocol object directly: requests in as raw bytes,
// replies out through a link that records them and keeps a clock of its own,
// so waits cost no real time.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "emulator/DemoBank.h"
#include "emulator/SamplerModel.h"
#include "emulator/SamplerProtocol.h"
#include "emulator/SysExWriter.h"

using TBytes = std::vector<std::uint8_t>;

class TRecordingLink : public TSamplerLink {
public:
    void Send(std::span<const std::uint8_t> bytes) override {
        Bytes.insert(Bytes.end(), bytes.begin(), bytes.end());
    }
    void Sleep(std::chrono::nanoseconds duration) override {
        Clock += duration;
        Slept += duration;
    }
    TClock::time_point Now() override {
        return TClock::time_point(std::chrono::duration_cast<TClock::duration>(Clock));
    }

    TBytes Bytes;
    std::chrono::nanoseconds Clock{std::chrono::seconds(1)};
    std::chrono::nanoseconds Slept{0};
};

// Cuts a byte stream at every F7.
std::vector<TBytes> SplitMessages(const TBytes& bytes);

// The sampler's response message on channel 1.
TBytes Response(std::uint8_t code);

// Requests on channel 1.
TBytes AddressRequest(std::uint8_t code, int instrument, int layer, int waveSample);
TBytes RangeRequest(std::uint8_t code, int instrument, int waveSample, std::uint32_t start,
                    std::uint32_t end);
TBytes CopyRequest(int instrument, int waveSample, std::uint32_t from, std::uint32_t to,
                   std::uint32_t position);
TBytes DataMessage(const std::vector<std::uint16_t>& words);
// The words of a data message.
std::vector<std::uint16_t> WordsOf(const TBytes& message);
inline const TBytes Ack = {0xF0, 0x0F, 0x03, 0x00, 0x01, 0x00, 0x00, 0xF7};

class ProtocolTest : public ::testing::Test {
protected:
    ProtocolTest() {
        TDemoBank::Load(Model);
        Restart();
    }

    // A new protocol object on the same memory.
    void Restart(int channel = 1);
    // Feeds one message and returns the reply messages.
    std::vector<TBytes> Exchange(const TBytes& message);
    // Feeds a request and its acknowledge; returns the data message.
    TBytes Fetch(const TBytes& request);
    // Puts a wavesample with this data and its end at the last sample into
    // a slot, making the instrument and its layer when missing.
    TWaveSample& Place(int instrument, int number, std::vector<std::int16_t> data);
    TWaveSample& At(int instrument, int number);

    TSamplerModel Model;
    TRecordingLink Link;
    TSamplerTiming Timing;
    std::unique_ptr<TSamplerProtocol> Protocol;
};
