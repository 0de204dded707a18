// The MIDI devices by name. Device numbers follow the order of the devices
// present, so they shift when an interface is plugged in or out; the
// settings keep each device's name with its number, and the name finds the
// device again.
#pragma once

#include <optional>
#include <string>
#include <vector>

// The names of the MIDI devices in number order, as the device lists give
// them (cut to the lists' fixed length).
std::vector<std::string> MidiInputNames();
std::vector<std::string> MidiOutputNames();

// A device as the settings keep it.
struct TSavedDevice {
    int Number = 0;
    // Empty in settings written before names were kept.
    std::string Name;
};

// The number the saved device has among names now: found by its name where
// one was kept, the saved number where none was. Empty when the named
// device is not there.
std::optional<int> FindSavedDevice(const TSavedDevice& saved,
                                   const std::vector<std::string>& names);
// The name to keep with a device number; empty for no device.
std::string SavedDeviceName(int number, const std::vector<std::string>& names);
