// Ways to make the sampler misbehave, for testing how an editor copes.
#pragma once

#include <cstddef>

struct TSamplerFaults {
    // Answers nothing at all.
    bool Silent = false;
    // Every reply stops after half of its bytes, without its F7.
    bool CutMessages = false;
    // Every reply is replaced by as many bytes of rubbish.
    bool Garbage = false;
    // Data headers name the next instrument instead of the one asked for.
    bool WrongInstrument = false;
    // Data requests are served for the first half of the range asked for,
    // and the data header says so.
    bool HalfBlocks = false;
    // Create requests are acknowledged and nothing is created.
    bool IgnoreCreates = false;
    // 1..16: replies go out on this channel instead of the sampler's own.
    int ReplyChannel = 0;
    // The connection drops once this many reply bytes have gone out; 0 never.
    std::size_t DropAfterBytes = 0;
};
