// Managing the device providers behind the MIDI calls of MidiApi.h.
//
// Devices are listed in this order: registered in-process peers, the OS's
// MIDI ports, then the byte-stream devices (unix:PATH, tcp:127.0.0.1:PORT).
// The byte-stream devices named in the environment variable
// TAVIMOR_MIDI_DEVICES (separated by ';') are added the first time the list
// is consulted.
#pragma once

#include <memory>
#include <string>

#include "platform/MidiExport.h"
#include "platform/MidiProvider.h"

// Adds an in-process peer as the next in-process device. Returns false when a
// peer of that name is registered already.
TAVIMOR_MIDI_API bool MidiRegisterLocalPeer(std::shared_ptr<TMidiLocalPeer> peer);
// Removes the peer of that name from the list; devices of it that are open
// keep working until they are closed.
TAVIMOR_MIDI_API void MidiUnregisterLocalPeer(const std::string& name);

// Adds a byte-stream device such as "unix:/tmp/eps.sock" or
// "tcp:127.0.0.1:5000" (an input and an output device of that name). Returns
// false for a name it cannot handle (TSocketAddress tells why) or one that is
// listed already.
TAVIMOR_MIDI_API bool MidiAddDevice(const std::string& name);
