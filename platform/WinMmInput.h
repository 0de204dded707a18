// An input device of the multimedia MIDI API. The driver reports through a
// callback, which may not call the MIDI API: it only records the reports
// (TDriverInputQueue), and a thread of ours hands the bytes to the sink and
// gives the receive buffers back to the driver. System Exclusive that spans
// several buffers reaches the sink as one message; lost input is reported on
// the error stream and drops the message in progress, as on the ALSA side.
#pragma once

#include "platform/WinMm.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <thread>

#include "platform/DriverInputQueue.h"
#include "platform/MidiProvider.h"

class TWinMmInput : public TMidiInputEndpoint {
public:
    // Null when the device cannot be opened.
    static std::unique_ptr<TWinMmInput> Open(const TWinMm& winMm, UINT device, TMidiByteSink& sink);
    ~TWinMmInput() override;
    TWinMmInput(const TWinMmInput&) = delete;
    TWinMmInput& operator=(const TWinMmInput&) = delete;

private:
    // Room for a block of the largest size several times over, so that the
    // thread may fall well behind before the driver runs out.
    static constexpr std::size_t BufferCount = 16;
    static constexpr std::size_t BufferSize = 4096;
    // Short messages that may wait for the thread.
    static constexpr std::size_t ReportRoom = 4096;

    struct TBuffer {
        MIDIHDR Header;
        char Data[BufferSize];
    };

    TWinMmInput(const TWinMm& winMm, TMidiByteSink& sink);
    bool Start(UINT device);
    static void CALLBACK Callback(HMIDIIN handle, UINT message, DWORD_PTR instance,
                                  DWORD_PTR param1, DWORD_PTR param2);
    void Report(UINT message, DWORD_PTR param1);
    void GiveBack(MIDIHDR* header);
    void Run();
    void Deliver();
    void Stop();

    const TWinMm& WinMm;
    TMidiByteSink& Sink;
    // Set by the callback whenever it has recorded something.
    HANDLE Wake;
    HMIDIIN Handle = nullptr;
    // The callback's instance value, by which it finds this input.
    DWORD_PTR Instance;
    std::unique_ptr<TBuffer[]> Buffers;
    TDriverInputQueue Reports;
    TDriverInputQueue::TBatch Batch;
    std::atomic<bool> Closing{false};
    std::thread Thread;
};
