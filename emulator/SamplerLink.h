// What the sampler's protocol needs from the world around it: a way to send
// bytes to the editor, and a clock it can wait on.
#pragma once

#include <chrono>
#include <cstdint>
#include <span>

class TSamplerLink {
public:
    using TClock = std::chrono::steady_clock;

    virtual ~TSamplerLink() = default;
    virtual void Send(std::span<const std::uint8_t> bytes) = 0;
    virtual void Sleep(std::chrono::nanoseconds duration) = 0;
    virtual TClock::time_point Now() = 0;
};
