// Waiting in tests for what another thread does.
#pragma once

#include <chrono>
#include <thread>

// Polls condition until it holds (true) or timeout has passed (false).
template <typename TCondition>
bool Eventually(TCondition condition,
                std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
