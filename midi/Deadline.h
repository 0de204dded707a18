// A time-out on the monotonic millisecond clock, and the polling wait that
// the ports' waits for the driver (open, close, a block in flight) are made
// of. Waits for input sleep on the receive ring instead (TMidiIn).
#pragma once

#include <chrono>
#include <cstdint>

class TDeadline {
public:
    // The clock is steady and 64-bit, so a deadline never wraps around.
    using TClock = std::chrono::steady_clock;

    void Start(int seconds);
    // Records and returns whether the deadline has passed.
    bool Expired();
    // The result of the last Expired.
    bool TimedOut() const { return TimedOutFlag; }

    // Polls condition until it holds (true) or seconds have passed (false).
    // Between polls the thread sleeps a fraction of a millisecond (on Windows,
    // which sleeps no shorter, a millisecond): short enough to follow a MIDI
    // byte stream, long enough not to hold a core.
    template <typename TCondition> static bool WaitUntil(int seconds, TCondition condition) {
        TDeadline deadline;
        deadline.Start(seconds);
        while (!condition()) {
            if (deadline.Expired()) {
                return false;
            }
            Pause();
        }
        return true;
    }

private:
    static void Pause();

    TClock::time_point Deadline{};
    bool TimedOutFlag = false;
};
