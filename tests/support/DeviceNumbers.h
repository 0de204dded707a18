// Finding a device's number in the MIDI layer's lists by its name.
#pragma once

#include <string>

// -1 when no device of that name is listed.
int MidiInputNumber(const std::string& name);
int MidiOutputNumber(const std::string& name);
