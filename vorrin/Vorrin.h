// Vorrin: the MIDI driver callbacks and the little state they share with the
// program. The driver calls MidiOutHandler and MidiInHandler from its own
// thread; the program polls and sets the per-slot flags through the accessors
// and lets MidiInHandler append received System Exclusive bytes to a ring it
// owns. Slots 0..15 of the input and output tables are independent.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/MidiApi.h"

#ifdef _WIN32
#ifdef VORRIN_BUILD
#define VORRIN_API __declspec(dllexport)
#else
#define VORRIN_API __declspec(dllimport)
#endif
#else
#define VORRIN_API __attribute__((visibility("default")))
#endif

constexpr std::uint32_t MidiInRingSize = 32768;

// The receive ring of one input port. The callback alone stores bytes and
// moves WriteIndex, the reader alone moves ReadIndex; Count is raised by the
// callback after a byte is stored and lowered by the reader after it has taken
// one, so the two threads change it at the same time and it must be atomic.
// The indices are atomic as well (relaxed): the open notification resets
// them from the callback's thread.
struct MidiInRing {
    std::uint8_t Data[MidiInRingSize];
    std::atomic<std::uint32_t> ReadIndex;
    std::atomic<std::uint32_t> WriteIndex;
    std::atomic<std::uint32_t> Count;

    // The callback's side, while no bytes can arrive (the port opens).
    void Empty() {
        ReadIndex.store(0, std::memory_order_relaxed);
        WriteIndex.store(0, std::memory_order_relaxed);
        Count.store(0, std::memory_order_release);
    }

    // The reader's side, while bytes may be arriving: takes what is stored
    // now as read, leaving the write position to the callback.
    void Discard() {
        const std::uint32_t stored = Count.load(std::memory_order_acquire);
        const std::uint32_t read = ReadIndex.load(std::memory_order_relaxed);
        ReadIndex.store((read + stored) % MidiInRingSize, std::memory_order_relaxed);
        Count.fetch_sub(stored, std::memory_order_release);
    }
};

static_assert(sizeof(std::atomic<std::uint32_t>) == sizeof(std::uint32_t));
static_assert(std::atomic<std::uint32_t>::is_always_lock_free);

extern "C" {

VORRIN_API void CALLBACK MidiOutHandler(HMIDIOUT handle, UINT message, DWORD_PTR slot,
                                        DWORD_PTR param1, DWORD_PTR param2);
VORRIN_API void CALLBACK MidiInHandler(HMIDIIN handle, UINT message, DWORD_PTR slot,
                                       DWORD_PTR param1, DWORD_PTR param2);

VORRIN_API std::uint8_t MIDIOUTISOPEN(std::int32_t slot);
VORRIN_API std::uint8_t MIDIOUTISBUSY(std::int32_t slot);
VORRIN_API void MIDIOUTMARKBUSY(std::int32_t slot);
VORRIN_API std::uint8_t MIDIINISOPEN(std::int32_t slot);
VORRIN_API void MIDIINREQUESTCLOSE(std::int32_t slot);
VORRIN_API void MIDIINSETBUFFER(MidiInRing* ring, std::int32_t slot);

} // extern "C"
