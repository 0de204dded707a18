// The settings readers over arbitrary text for every value: the desktop
// program's (TSettingsKey, Qt's settings over the plain-text format) and the
// command-line tool's (TSavedSettings), each applying what it read to an
// engine as the programs do at start-up.
//
// Input: the values in the order of Names, separated by NUL bytes; each is
// written into the settings file as it comes, so that it may also break the
// file's lines and sections.
#include <fcntl.h>
#include <sys/stat.h>

#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "app/SettingsKey.h"
#include "cli/SavedSettings.h"
#include "eps/Eps.h"
#include "platform/MidiApi.h"

namespace {

struct TSetting {
    const char* Section;
    const char* Name;
};

constexpr TSetting Names[] = {
    {"MainForm", "Left"},        {"MainForm", "Top"},
    {"MainForm", "Width"},       {"MainForm", "Height"},
    {"MainForm", "WindowState"}, {"MainForm", "WelcomeShown"},
    {"Preferences", "MidiIn"},   {"Preferences", "MidiOut"},
    {"Preferences", "Channel"},  {"Preferences", "BlockSize"},
    {"Preferences", "Delay"},    {"Preferences", "UploadDownloadPath"},
};

std::filesystem::path Folder;
std::filesystem::path SettingsFile;

void WriteSettings(std::string_view input) {
    std::ofstream file(SettingsFile, std::ios::binary | std::ios::trunc);
    const char* section = "";
    for (const TSetting& setting : Names) {
        if (std::string_view(section) != setting.Section) {
            section = setting.Section;
            file << '[' << section << "]\n";
        }
        const std::size_t end = std::min(input.find('\0'), input.size());
        file << setting.Name << '=' << input.substr(0, end) << '\n';
        input.remove_prefix(std::min(end + 1, input.size()));
    }
    file.close();
    // Qt reads the file again only when its size or time has changed: give
    // every input a time of its own.
    static long stamp = 0;
    const timespec times[2] = {{++stamp, 0}, {stamp, 0}};
    utimensat(AT_FDCWD, SettingsFile.c_str(), times, 0);
}

void Apply(TEps& eps, int in, int out, int channel, int blockSize, int delay) {
    eps.MidiIn->DeviceID = in;
    eps.MidiOut->DeviceID = out;
    eps.MidiOut->SetChannel(channel);
    eps.SetBlockSize(blockSize);
    eps.SetDelay(delay);
    if (eps.MidiOut->Channel() < 1 || eps.MidiOut->Channel() > 16 ||
        eps.BlockSize() < MinBlockSize || eps.BlockSize() > MaxBlockSize || eps.Delay() < 0 ||
        eps.Delay() > MaxDelay) {
        __builtin_trap();
    }
    // What the device pickers do with a stored device number.
    MIDIINCAPSA inCaps{};
    midiInGetDevCapsA(static_cast<UINT>(eps.MidiIn->DeviceID), &inCaps, sizeof(inCaps));
    MIDIOUTCAPSA outCaps{};
    midiOutGetDevCapsA(static_cast<UINT>(eps.MidiOut->DeviceID), &outCaps, sizeof(outCaps));
}

void ReadAsDesktop(TEps& eps) {
    TSettingsKey key;
    for (const TSetting& setting : Names) {
        key.ReadInteger(setting.Section, setting.Name, 0);
        key.ReadString(setting.Section, setting.Name, {});
    }
    Apply(eps, key.ReadInteger("Preferences", "MidiIn", 0),
          key.ReadInteger("Preferences", "MidiOut", 0),
          key.ReadInteger("Preferences", "Channel", 1),
          key.ReadInteger("Preferences", "BlockSize", MinBlockSize),
          key.ReadInteger("Preferences", "Delay", 0));
}

void ReadAsCommandLine(TEps& eps) {
    const TSavedSettings settings = TSavedSettings::LoadFile(SettingsFile.string());
    for (const TSetting& setting : Names) {
        settings.Integer(setting.Section, setting.Name);
    }
    Apply(eps, settings.Integer("Preferences", "MidiIn").value_or(0),
          settings.Integer("Preferences", "MidiOut").value_or(0),
          settings.Integer("Preferences", "Channel").value_or(1),
          settings.Integer("Preferences", "BlockSize").value_or(MinBlockSize),
          settings.Integer("Preferences", "Delay").value_or(0));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string pattern = (std::filesystem::temp_directory_path() / "tavimor-fuzz-XXXXXX").string();
    Folder = mkdtemp(pattern.data());
    std::atexit([] { std::filesystem::remove_all(Folder); });
    std::filesystem::create_directories(Folder / "Tavimor");
    SettingsFile = Folder / "Tavimor" / "Tavimor.ini";
    setenv("XDG_CONFIG_HOME", Folder.c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static TEps eps;
    WriteSettings(std::string_view(reinterpret_cast<const char*>(data), size));
    ReadAsDesktop(eps);
    ReadAsCommandLine(eps);
    return 0;
}
