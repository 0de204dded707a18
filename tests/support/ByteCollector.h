// A sink that keeps what a device or sampler delivers, for a test to wait
// for and look at. While held, a delivery waits in the sink after it is
// kept, so that the thread that delivers stops there.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/MidiProvider.h"

class TByteCollector : public TMidiByteSink {
public:
    void Received(const std::uint8_t* data, std::size_t count) override;

    // Waits until at least count bytes are in; false after the timeout.
    bool WaitFor(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // What came so far, leaving the sink empty.
    std::vector<std::uint8_t> Take();
    int CallCount();
    void Hold(bool held);

private:
    std::mutex Mutex;
    std::condition_variable Changed;
    std::vector<std::uint8_t> Bytes;
    int Calls = 0;
    bool Held = false;
};
