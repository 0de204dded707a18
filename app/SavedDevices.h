// The MIDI devices as the settings keep them: each device's number with its
// name, so that the device is found again by its name after interfaces were
// plugged in or out and the numbers moved. A saved device that is not
// connected is not replaced by whatever now has its number: the port gets
// no device and the user is told which one is missing.
#pragma once

#include <QString>

#include <optional>

#include "midi/MidiDeviceNames.h"

class TEps;
class TSettingsKey;

class TSavedDevices {
public:
    // Sets the engine's input and output devices from the settings.
    void Read(TSettingsKey& key, TEps& eps);
    // Writes the engine's devices with their names; a device still missing
    // is written as it was saved, so that it is found once it is back.
    void Write(TSettingsKey& key, const TEps& eps) const;
    // Names the saved devices that are not connected; empty when all are.
    QString MissingText() const;

private:
    std::optional<TSavedDevice> MissingInput;
    std::optional<TSavedDevice> MissingOutput;
};
