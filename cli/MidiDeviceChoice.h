// Finding a MIDI device from what a user types: a device number, a part of
// a device's name that no other device's name shares, or unix:PATH or
// tcp:127.0.0.1:PORT for a byte-stream device (added to the lists first).
#pragma once

#include <optional>
#include <string>
#include <vector>

// The device number that text stands for among the inputs or the outputs;
// empty with the reason when it stands for none or for several.
std::optional<int> ChooseMidiDevice(const std::string& text, bool input, std::string& error);
