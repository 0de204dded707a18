#include "tests/support/RingFeed.h"

#include "vorrin/Vorrin.h"

void FeedRing(const TMidiIn& port, std::span<const std::uint8_t> bytes) {
    MIDIHDR header{};
    // Vorrin only reads the buffer it is handed.
    header.lpData = reinterpret_cast<char*>(const_cast<std::uint8_t*>(bytes.data()));
    header.dwBufferLength = static_cast<DWORD>(bytes.size());
    header.dwBytesRecorded = static_cast<DWORD>(bytes.size());
    // Without a device behind it, the buffer's return to the driver that
    // follows is refused and nothing else happens.
    MidiInHandler(nullptr, MIM_LONGDATA, static_cast<DWORD_PTR>(port.Slot()),
                  reinterpret_cast<DWORD_PTR>(&header), 0);
}
