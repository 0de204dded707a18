// The real engine connected to the built-in virtual sampler through the real
// ports, Vorrin and MIDI layer, as the program runs it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "emulator/SamplerFaults.h"
#include "emulator/VirtualEpsPeer.h"
#include "eps/Eps.h"

class TSamplerConnection {
    std::shared_ptr<TVirtualEpsPeer> Peer;

public:
    // Registers the built-in sampler (device "Virtual EPS"), points both
    // ports at it and loads the demo bank.
    TSamplerConnection();

    // True when the sampler answers the probe.
    bool Connect();
    // Changes the sampler's memory while it handles no request.
    void Change(const std::function<void(TSamplerModel&)>& change);
    // Turns the sampler's fault knobs once it has answered what it was sent.
    void SetFaults(const TSamplerFaults& faults);
    // The instrument's name as the sampler holds it; empty when absent.
    std::string InstrumentName(int instrument);

    // Registered before any other device of the test program, the built-in
    // sampler is input and output device 0.
    static constexpr int Device = 0;

    TEps Eps;
};
