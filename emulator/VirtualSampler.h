// A running virtual sampler: the protocol and memory on a worker thread of
// their own. Bytes from the editor are queued from any thread and handled in
// order; replies go to the attached sinks, paced like a MIDI cable when a
// baud rate is set. The worker sleeps on a condition variable while there is
// nothing to do.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "emulator/SamplerFaults.h"
#include "emulator/SamplerLink.h"
#include "emulator/SamplerModel.h"
#include "emulator/SamplerOptions.h"
#include "emulator/SamplerProtocol.h"
#include "emulator/WirePacer.h"
#include "platform/MidiProvider.h"

class TVirtualSampler : private TSamplerLink {
public:
    // Memory as the options say: the demo bank or empty.
    explicit TVirtualSampler(const TSamplerOptions& options);
    // Memory given, for instance loaded from a state file.
    TVirtualSampler(const TSamplerOptions& options, TSamplerModel memory);
    ~TVirtualSampler() override;
    TVirtualSampler(const TVirtualSampler&) = delete;
    TVirtualSampler& operator=(const TVirtualSampler&) = delete;

    const TSamplerOptions& Options() const { return Setup; }

    // Bytes from the editor; returns at once.
    void Feed(const std::uint8_t* data, std::size_t count);
    // Replies go to every attached sink. Attaching starts a new conversation
    // (no message or dialogue in progress) and reconnects a dropped line.
    // Once Detach has returned, the sink is not called any more.
    void Attach(TMidiByteSink& sink);
    void Detach(TMidiByteSink& sink);

    void SetFaults(const TSamplerFaults& faults);
    // Called on the worker thread with a line for each request handled.
    void SetLog(TSamplerProtocol::TLog log);
    // Called on the worker thread when the drop fault cuts the line.
    void SetDropHandler(std::function<void()> handler);

    // Runs fn on the memory while no request is being handled.
    void Inspect(const std::function<void(TSamplerModel&)>& fn);
    TSamplerProtocol::TPerformance Performance();
    // Waits until everything fed so far has been handled; false on time-out.
    bool WaitUntilIdle(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Ends the worker; what is still queued is dropped. Called by the
    // destructor.
    void Stop();

private:
    struct TChunk {
        std::vector<std::uint8_t> Bytes;
        TClock::time_point Arrived;
        bool NewConversation = false;
    };

    void Run();
    bool Next(TChunk& chunk);
    void Handle(const TChunk& chunk);
    void Send(std::span<const std::uint8_t> bytes) override;
    void Sleep(std::chrono::nanoseconds duration) override;
    TClock::time_point Now() override { return TClock::now(); }
    // False when the sampler stops before then.
    bool SleepUntil(TClock::time_point time);
    void Deliver(std::span<const std::uint8_t> bytes);

    const TSamplerOptions Setup;
    TSamplerModel Model;
    std::mutex ModelMutex; // the model and the protocol
    TSamplerProtocol Protocol;
    TWirePacer InWire;
    TWirePacer OutWire;

    std::mutex QueueMutex;
    std::condition_variable QueueChanged;
    std::deque<TChunk> Queue;
    bool Stopping = false;
    bool Busy = false;
    TSamplerFaults Faults;
    TSamplerFaults ActiveFaults; // the worker's copy

    std::mutex SinkMutex;
    std::vector<TMidiByteSink*> Sinks;
    std::size_t SentBytes = 0;
    bool Dropped = false;
    std::function<void()> DropHandler;

    std::thread Worker;
};
