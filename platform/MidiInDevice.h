// An open MIDI input device of the platform layer. The provider's bytes are
// parsed on the device's own driver thread: System Exclusive bytes fill the
// oldest queued buffer, which is returned with MIM_LONGDATA when it is full or
// holds the message's F7; short messages are reported with MIM_DATA.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/MidiHandleRecord.h"
#include "platform/MidiProvider.h"

class TMidiInDevice : public TMidiHandleRecord, private TMidiByteSink {
public:
    TMidiInDevice(MidiCallback callback, DWORD_PTR instance);
    ~TMidiInDevice() override;

    // Starts the device on an endpoint opened with Sink(); MIM_OPEN follows.
    // Until it is started, what the provider delivers is discarded.
    void Attach(std::unique_ptr<TMidiInputEndpoint> endpoint);
    TMidiByteSink& Sink() { return *this; }

    MMRESULT AddBuffer(MIDIHDR* header);
    MMRESULT Start();
    MMRESULT Stop();
    MMRESULT Reset();
    // Refused with MIDIERR_STILLPLAYING while buffers are queued; otherwise
    // returns once MIM_CLOSE has been reported.
    MMRESULT Close();

private:
    using TLock = std::unique_lock<std::mutex>;
    enum class TCommand { None, Stop, Reset, Close };

    void Received(const std::uint8_t* data, std::size_t count) override;
    MMRESULT Command(TCommand command);
    void Run();
    bool CanProceed() const;
    void Execute(TCommand command, TLock& lock);
    void ProcessByte(TLock& lock);
    void StoreSysExByte(std::uint8_t b, TLock& lock);
    void ReturnBuffer(TLock& lock);
    void ShortByte(std::uint8_t b, TLock& lock);
    void Report(UINT message, DWORD_PTR param, TLock& lock);
    DWORD Timestamp() const;

    std::unique_ptr<TMidiInputEndpoint> Endpoint;
    std::mutex Mutex;
    std::condition_variable Changed;
    std::condition_variable CommandDone;
    std::deque<std::uint8_t> Pending;
    std::deque<MIDIHDR*> Buffers;
    TCommand PendingCommand = TCommand::None;
    bool Started = false;
    bool InSysEx = false;
    std::vector<std::uint8_t> ShortMessage; // running status kept in [0]
    std::size_t ShortLength = 0;
    std::chrono::steady_clock::time_point StartTime;
    std::thread Thread;
};
