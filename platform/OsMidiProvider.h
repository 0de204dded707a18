// The provider of the operating system's own MIDI ports (the ALSA sequencer
// on Linux). Where the OS has no MIDI subsystem, or none was built in, it
// lists nothing.
#pragma once

#include <memory>

#include "platform/MidiExport.h"
#include "platform/MidiProvider.h"

TAVIMOR_MIDI_API std::unique_ptr<TMidiProvider> CreateOsMidiProvider();
