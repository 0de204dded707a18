// An input callback that works like the program's own: it keeps what every
// returned buffer recorded and gives the buffer straight back to the layer,
// until it is told that the device is closing.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/MidiApi.h"

class TRequeueingReceiver {
public:
    static void Callback(TMidiHandleRecord* handle, UINT message, DWORD_PTR instance,
                         DWORD_PTR param1, DWORD_PTR param2);
    DWORD_PTR Instance() { return reinterpret_cast<DWORD_PTR>(this); }

    std::vector<std::uint8_t> Received();
    // Waits up to five seconds for that many bytes; returns what came.
    std::vector<std::uint8_t> WaitFor(std::size_t count);

    std::atomic<bool> Closing{false};

private:
    std::mutex Mutex;
    std::vector<std::uint8_t> Bytes;
};
