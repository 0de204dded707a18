#include "vorrin/Vorrin.h"

#include <type_traits>

#include "platform/AddressWait.h"

static_assert(std::is_same_v<decltype(&MidiOutHandler), MidiCallback>);
static_assert(std::is_same_v<decltype(&MidiInHandler), MidiCallback>);

namespace {

constexpr int SlotCount = 16;

// The flags are written by one thread and polled by the other: release on
// every store and acquire on every load, so that whatever the writer did
// before changing a flag (storing ring bytes, finishing a block) is visible
// to the thread that sees the change.
std::atomic<std::uint8_t> OutOpen[SlotCount];
std::atomic<std::uint8_t> OutBusy[SlotCount];
std::atomic<std::uint8_t> InOpen[SlotCount];
std::atomic<std::uint8_t> InCloseRequested[SlotCount];
std::atomic<MidiInRing*> InRing[SlotCount];

void Set(std::atomic<std::uint8_t>& flag, std::uint8_t value) {
    flag.store(value, std::memory_order_release);
}

std::uint8_t Get(const std::atomic<std::uint8_t>& flag) {
    return flag.load(std::memory_order_acquire);
}

// One attempt per byte: an attempt that finds the ring full stores nothing
// and stays on its byte, so what is stored is always an unbroken leading part
// of the data and a ring that stays full drops the rest.
void Append(MidiInRing& ring, const std::uint8_t* data, DWORD count) {
    std::uint32_t write = ring.WriteIndex.load(std::memory_order_relaxed);
    DWORD next = 0;
    for (DWORD attempt = 0; attempt < count; ++attempt) {
        if (ring.Count.load(std::memory_order_acquire) == MidiInRingSize) {
            continue;
        }
        ring.Data[write] = data[next++];
        write = (write + 1) % MidiInRingSize;
        ring.WriteIndex.store(write, std::memory_order_relaxed);
        // Raised only after the byte is stored, so the reader never sees a
        // count that runs ahead of the data.
        ring.Count.fetch_add(1, std::memory_order_release);
    }
    // One wake-up for the whole delivery: a reader waiting for input sleeps
    // on the count instead of polling it.
    if (next != 0) {
        WakeAddressWaiters(ring.Count);
    }
}

void LongData(HMIDIIN handle, std::size_t slot, MIDIHDR* header) {
    if (MidiInRing* ring = InRing[slot].load(std::memory_order_acquire)) {
        Append(*ring, reinterpret_cast<const std::uint8_t*>(header->lpData),
               header->dwBytesRecorded);
    }
    // While the program closes the port, the buffers the driver hands back
    // must stay with the program so that it can release them.
    if (!Get(InCloseRequested[slot])) {
        midiInAddBuffer(handle, header, sizeof(MIDIHDR));
    }
}

} // namespace

extern "C" {

void CALLBACK MidiOutHandler(HMIDIOUT, UINT message, DWORD_PTR slot, DWORD_PTR, DWORD_PTR) {
    switch (message) {
    case MOM_OPEN:
        Set(OutBusy[slot], 0);
        Set(OutOpen[slot], 1);
        break;
    case MOM_CLOSE:
        Set(OutOpen[slot], 0);
        break;
    case MOM_DONE:
        Set(OutBusy[slot], 0);
        break;
    default:
        break;
    }
}

void CALLBACK MidiInHandler(HMIDIIN handle, UINT message, DWORD_PTR slot, DWORD_PTR param1,
                            DWORD_PTR) {
    switch (message) {
    case MIM_OPEN:
        if (MidiInRing* ring = InRing[slot].load(std::memory_order_acquire)) {
            ring->Empty();
        }
        Set(InCloseRequested[slot], 0);
        Set(InOpen[slot], 1);
        break;
    case MIM_CLOSE:
        Set(InCloseRequested[slot], 0);
        Set(InOpen[slot], 0);
        break;
    case MIM_LONGDATA:
        LongData(handle, slot, reinterpret_cast<MIDIHDR*>(param1));
        break;
    default:
        // Short messages never reach the program; driver errors are ignored.
        break;
    }
}

std::uint8_t MIDIOUTISOPEN(std::int32_t slot) {
    return Get(OutOpen[slot]);
}

std::uint8_t MIDIOUTISBUSY(std::int32_t slot) {
    return Get(OutBusy[slot]);
}

void MIDIOUTMARKBUSY(std::int32_t slot) {
    Set(OutBusy[slot], 1);
}

std::uint8_t MIDIINISOPEN(std::int32_t slot) {
    return Get(InOpen[slot]);
}

void MIDIINREQUESTCLOSE(std::int32_t slot) {
    Set(InCloseRequested[slot], 1);
}

void MIDIINSETBUFFER(MidiInRing* ring, std::int32_t slot) {
    InRing[slot].store(ring, std::memory_order_release);
}

} // extern "C"
