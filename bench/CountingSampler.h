// A virtual sampler as an in-process MIDI device that counts what crosses
// the cable: the bytes each way and the System Exclusive messages the
// editor sends.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "emulator/VirtualEpsPeer.h"
#include "eps/Eps.h"

class TCountingSampler : public TMidiLocalPeer {
public:
    struct TCounts {
        std::uint64_t ToSampler = 0;
        std::uint64_t FromSampler = 0;
        std::uint64_t Messages = 0;
    };

    TCountingSampler(std::string name, const TSamplerOptions& options);

    std::string Name() const override { return DeviceName; }
    void Connect(TMidiByteSink* toProgram) override;
    void FromProgram(const std::uint8_t* data, std::size_t count) override;

    TVirtualSampler& Sampler() { return Inner.Sampler(); }
    TCounts Counts() const;
    // Puts a wavesample of these samples into a slot, its start at sample 0
    // and its end (and loop end) address at end.
    void Place(int instrument, int number, const std::vector<std::int16_t>& data,
               std::uint32_t end);

private:
    class TCountingSink : public TMidiByteSink {
    public:
        explicit TCountingSink(std::atomic<std::uint64_t>& counter) : Counter(counter) {}
        void SetTarget(TMidiByteSink* target);
        void Received(const std::uint8_t* data, std::size_t count) override;

    private:
        std::atomic<std::uint64_t>& Counter;
        std::mutex Mutex;
        TMidiByteSink* Target = nullptr;
    };

    const std::string DeviceName;
    TVirtualEpsPeer Inner;
    std::atomic<std::uint64_t> ToSampler{0};
    std::atomic<std::uint64_t> FromSampler{0};
    std::atomic<std::uint64_t> Messages{0};
    TCountingSink ToProgram{FromSampler};
};

// Registers a counting sampler under its name and makes an engine whose
// ports reach it (not yet open).
struct TBenchRig {
    TBenchRig(const std::string& name, const TSamplerOptions& options);
    ~TBenchRig();
    TBenchRig(const TBenchRig&) = delete;
    TBenchRig& operator=(const TBenchRig&) = delete;

    std::shared_ptr<TCountingSampler> Peer;
    std::unique_ptr<TEps> Eps;
};

// Processor time of the whole process so far, in seconds.
double ProcessSeconds();
