#include "app/SavedDevices.h"

#include <vector>

#include "app/SettingsKey.h"
#include "eps/Eps.h"

namespace {

const QString Section = "Preferences";

// The device's number now; -1 with the saved device in missing when it is
// not connected.
int ReadDevice(TSettingsKey& key, const QString& name, const std::vector<std::string>& names,
               std::optional<TSavedDevice>& missing) {
    const TSavedDevice saved{key.ReadInteger(Section, name, 0),
                             key.ReadString(Section, name + "Name", {}).toStdString()};
    const std::optional<int> found = FindSavedDevice(saved, names);
    missing.reset();
    if (!found) {
        missing = saved;
    }
    return found.value_or(-1);
}

void WriteDevice(TSettingsKey& key, const QString& name, int number,
                 const std::vector<std::string>& names,
                 const std::optional<TSavedDevice>& missing) {
    const TSavedDevice saved =
        number < 0 && missing ? *missing : TSavedDevice{number, SavedDeviceName(number, names)};
    key.WriteInteger(Section, name, saved.Number);
    key.WriteString(Section, name + "Name", QString::fromStdString(saved.Name));
}

QString MissingLine(const QString& kind, const std::optional<TSavedDevice>& missing) {
    return missing ? QString("The MIDI %1 device \"%2\" is not connected.\n")
                         .arg(kind, QString::fromStdString(missing->Name))
                   : QString();
}

} // namespace

void TSavedDevices::Read(TSettingsKey& key, TEps& eps) {
    eps.MidiIn->DeviceID = ReadDevice(key, "MidiIn", MidiInputNames(), MissingInput);
    eps.MidiOut->DeviceID = ReadDevice(key, "MidiOut", MidiOutputNames(), MissingOutput);
}

void TSavedDevices::Write(TSettingsKey& key, const TEps& eps) const {
    WriteDevice(key, "MidiIn", eps.MidiIn->DeviceID, MidiInputNames(), MissingInput);
    WriteDevice(key, "MidiOut", eps.MidiOut->DeviceID, MidiOutputNames(), MissingOutput);
}

QString TSavedDevices::MissingText() const {
    const QString lines = MissingLine("input", MissingInput) + MissingLine("output", MissingOutput);
    return lines.isEmpty() ? lines
                           : lines + "\nConnect it and start Tavimor again, or choose another "
                                     "device in Preferences.";
}
