// Putting bytes into an input port's receive ring the way a driver does,
// through Vorrin's callback, but at once and on the calling thread: for
// harnesses that fill the ring first and then let the engine parse it.
#pragma once

#include <cstdint>
#include <span>

#include "midi/MidiIn.h"

// Appends as much of bytes as the ring has room for. The port need not be
// open.
void FeedRing(const TMidiIn& port, std::span<const std::uint8_t> bytes);
