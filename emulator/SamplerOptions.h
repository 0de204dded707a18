// What a virtual sampler is set up with when it starts.
#pragma once

#include "emulator/SamplerModel.h"
#include "emulator/SamplerTiming.h"

struct TSamplerOptions {
    TSamplerKind Kind = TSamplerKind::Eps16Plus;
    // The base channel, 1..16.
    int Channel = 1;
    // Start with the demo bank; otherwise with an empty memory.
    bool DemoBank = true;
    TSamplerTiming Timing;
};
