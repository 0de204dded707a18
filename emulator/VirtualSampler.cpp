#include "emulator/VirtualSampler.h"

#include <algorithm>

#include "emulator/DemoBank.h"

namespace {

// Bytes handed over at a time on a paced line: 10 ms at 31250 baud, so a
// reader sees a long message arrive in steps.
constexpr std::size_t PacedPiece = 32;

TSamplerModel StartingMemory(const TSamplerOptions& options) {
    TSamplerModel model(options.Kind);
    if (options.DemoBank) {
        TDemoBank::Load(model);
    }
    return model;
}

} // namespace

TVirtualSampler::TVirtualSampler(const TSamplerOptions& options)
    : TVirtualSampler(options, StartingMemory(options)) {}

TVirtualSampler::TVirtualSampler(const TSamplerOptions& options, TSamplerModel memory)
    : Setup(options), Model(std::move(memory)),
      Protocol(Model, *this, options.Channel, options.Timing), InWire(options.Timing),
      OutWire(options.Timing), Worker([this] { Run(); }) {}

TVirtualSampler::~TVirtualSampler() {
    Stop();
}

void TVirtualSampler::Feed(const std::uint8_t* data, std::size_t count) {
    {
        std::lock_guard lock(QueueMutex);
        Queue.push_back({{data, data + count}, TClock::now(), false});
    }
    QueueChanged.notify_all();
}

void TVirtualSampler::Attach(TMidiByteSink& sink) {
    {
        std::lock_guard lock(SinkMutex);
        if (std::find(Sinks.begin(), Sinks.end(), &sink) == Sinks.end()) {
            Sinks.push_back(&sink);
        }
        SentBytes = 0;
        Dropped = false;
    }
    {
        std::lock_guard lock(QueueMutex);
        Queue.push_back({{}, TClock::now(), true});
    }
    QueueChanged.notify_all();
}

void TVirtualSampler::Detach(TMidiByteSink& sink) {
    std::lock_guard lock(SinkMutex);
    std::erase(Sinks, &sink);
}

void TVirtualSampler::SetFaults(const TSamplerFaults& faults) {
    std::lock_guard lock(QueueMutex);
    Faults = faults;
}

void TVirtualSampler::SetLog(TSamplerProtocol::TLog log) {
    std::lock_guard lock(ModelMutex);
    Protocol.SetLog(std::move(log));
}

void TVirtualSampler::SetDropHandler(std::function<void()> handler) {
    std::lock_guard lock(SinkMutex);
    DropHandler = std::move(handler);
}

void TVirtualSampler::Inspect(const std::function<void(TSamplerModel&)>& fn) {
    std::lock_guard lock(ModelMutex);
    fn(Model);
}

TSamplerProtocol::TPerformance TVirtualSampler::Performance() {
    std::lock_guard lock(ModelMutex);
    return Protocol.Performance();
}

bool TVirtualSampler::WaitUntilIdle(std::chrono::milliseconds timeout) {
    std::unique_lock lock(QueueMutex);
    return QueueChanged.wait_for(lock, timeout,
                                 [this] { return Stopping || (Queue.empty() && !Busy); });
}

void TVirtualSampler::Stop() {
    {
        std::lock_guard lock(QueueMutex);
        Stopping = true;
    }
    QueueChanged.notify_all();
    if (Worker.joinable()) {
        Worker.join();
    }
}

void TVirtualSampler::Run() {
    TChunk chunk;
    while (Next(chunk)) {
        Handle(chunk);
        {
            std::lock_guard lock(QueueMutex);
            Busy = false;
        }
        QueueChanged.notify_all();
    }
}

bool TVirtualSampler::Next(TChunk& chunk) {
    std::unique_lock lock(QueueMutex);
    QueueChanged.wait(lock, [this] { return Stopping || !Queue.empty(); });
    if (Stopping) {
        return false;
    }
    chunk = std::move(Queue.front());
    Queue.pop_front();
    Busy = true;
    ActiveFaults = Faults;
    return true;
}

void TVirtualSampler::Handle(const TChunk& chunk) {
    // The bytes are not all there before the cable has carried them.
    if (!SleepUntil(InWire.Pass(chunk.Bytes.size(), chunk.Arrived))) {
        return;
    }
    std::lock_guard lock(ModelMutex);
    Protocol.SetFaults(ActiveFaults);
    if (chunk.NewConversation) {
        Protocol.Reset();
    }
    Protocol.Receive(chunk.Bytes);
}

// The whole reply is handed to the cable at once, so each piece arrives a
// fixed time after the one before it; pieces are not held back by however
// late the worker woke up for the last one.
void TVirtualSampler::Send(std::span<const std::uint8_t> bytes) {
    const bool paced = Setup.Timing.Baud != 0;
    const TClock::time_point handedOver = TClock::now();
    while (!bytes.empty()) {
        const std::size_t count = paced ? std::min(bytes.size(), PacedPiece) : bytes.size();
        if (!SleepUntil(OutWire.Pass(count, handedOver))) {
            return;
        }
        Deliver(bytes.first(count));
        bytes = bytes.subspan(count);
    }
}

void TVirtualSampler::Sleep(std::chrono::nanoseconds duration) {
    SleepUntil(TClock::now() + std::chrono::duration_cast<TClock::duration>(duration));
}

bool TVirtualSampler::SleepUntil(TClock::time_point time) {
    std::unique_lock lock(QueueMutex);
    return !QueueChanged.wait_until(lock, time, [this] { return Stopping; });
}

void TVirtualSampler::Deliver(std::span<const std::uint8_t> bytes) {
    std::function<void()> dropped;
    {
        std::lock_guard lock(SinkMutex);
        if (Dropped) {
            return;
        }
        const std::size_t limit = ActiveFaults.DropAfterBytes;
        if (limit != 0 && SentBytes + bytes.size() >= limit) {
            // A limit set below what has gone out already cuts the line now.
            bytes = bytes.first(limit > SentBytes ? limit - SentBytes : 0);
            Dropped = true;
            dropped = DropHandler;
        }
        SentBytes += bytes.size();
        for (TMidiByteSink* sink : Sinks) {
            sink->Received(bytes.data(), bytes.size());
        }
    }
    if (dropped) {
        dropped();
    }
}
