// Sleeping until a 32-bit counter that another thread raises changes, with a
// time limit: what lets a reader wait for MIDI input without polling. The
// thread that changes the counter wakes the sleepers after each change.
#pragma once

#include "platform/MidiExport.h"

#include <atomic>
#include <chrono>
#include <cstdint>

// Returns once word no longer holds value, once WakeAddressWaiters was called
// for it, or once limit has passed; it may also return early for no reason,
// so callers look at the word again.
TAVIMOR_MIDI_API void WaitWhileEqual(const std::atomic<std::uint32_t>& word, std::uint32_t value,
                                     std::chrono::nanoseconds limit);
// Wakes every thread in WaitWhileEqual on word.
TAVIMOR_MIDI_API void WakeAddressWaiters(const std::atomic<std::uint32_t>& word);
