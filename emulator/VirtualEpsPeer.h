// The built-in virtual sampler as an in-process MIDI device: the program's
// output device "Virtual EPS" feeds it, its replies reach the program's input
// device of the same name.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "emulator/SamplerOptions.h"
#include "emulator/VirtualSampler.h"
#include "platform/MidiProvider.h"

class TVirtualEpsPeer : public TMidiLocalPeer {
public:
    static constexpr const char* DeviceName = "Virtual EPS";

    explicit TVirtualEpsPeer(const TSamplerOptions& options = {}) : Eps(options) {}

    std::string Name() const override { return DeviceName; }
    void Connect(TMidiByteSink* toProgram) override;
    // Called on the MIDI layer's driver thread: only queues the bytes.
    void FromProgram(const std::uint8_t* data, std::size_t count) override;

    TVirtualSampler& Sampler() { return Eps; }

private:
    TVirtualSampler Eps;
    std::mutex Mutex;
    TMidiByteSink* Program = nullptr;
};

// Creates the process's shared virtual sampler with the default options on
// the first call and registers it with the MIDI layer; every call returns
// that one. Called at start-up before any other device is registered, it is
// input and output device 0.
std::shared_ptr<TVirtualEpsPeer> RegisterBuiltInSampler();
