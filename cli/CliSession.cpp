#include "cli/CliSession.h"

#include <iostream>

#include "cli/MidiDeviceChoice.h"
#include "cli/SamplerTexts.h"
#include "midi/MidiDeviceNames.h"

namespace {

const std::string Section = "Preferences";

// The saved device where it is present, by its name where one was saved;
// otherwise no device, with its name in missing.
int SavedDevice(const TSavedSettings& settings, const std::string& key,
                const std::vector<std::string>& names, std::string& missing) {
    const TSavedDevice saved{settings.Integer(Section, key).value_or(0),
                             settings.Text(Section, key + "Name")};
    const std::optional<int> found = FindSavedDevice(saved, names);
    if (!found) {
        missing = saved.Name;
    }
    return found.value_or(-1);
}

std::string MissingText(const std::string& kind, const std::string& name) {
    return "the MIDI " + kind + " device \"" + name +
           "\" of the saved settings is not connected (name another with --device)";
}

std::string DeviceText(const std::string& kind, int device, const std::vector<std::string>& names) {
    const bool listed = device >= 0 && device < static_cast<int>(names.size());
    return "the MIDI " + kind + " device " + std::to_string(device) +
           (listed ? " (" + names[static_cast<std::size_t>(device)] + ")" : "") +
           " cannot be opened";
}

} // namespace

TCliSession::TCliSession() : Engine(nullptr, &Front) {
    Front.Eps = &Engine;
}

bool TCliSession::Configure(const TCliArguments& arguments, const TSavedSettings& settings,
                            std::string& error) {
    Engine.MidiIn->DeviceID = SavedDevice(settings, "MidiIn", MidiInputNames(), MissingInput);
    Engine.MidiOut->DeviceID = SavedDevice(settings, "MidiOut", MidiOutputNames(), MissingOutput);
    if (arguments.In) {
        const std::optional<int> device = ChooseMidiDevice(*arguments.In, true, error);
        if (!device) {
            return false;
        }
        Engine.MidiIn->DeviceID = *device;
        MissingInput.clear();
    }
    if (arguments.Out) {
        const std::optional<int> device = ChooseMidiDevice(*arguments.Out, false, error);
        if (!device) {
            return false;
        }
        Engine.MidiOut->DeviceID = *device;
        MissingOutput.clear();
    }
    Engine.MidiOut->SetChannel(
        arguments.Channel.value_or(settings.Integer(Section, "Channel").value_or(1)));
    Engine.SetBlockSize(arguments.BlockSize.value_or(
        settings.Integer(Section, "BlockSize").value_or(MinBlockSize)));
    Engine.SetDelay(arguments.Delay.value_or(settings.Integer(Section, "Delay").value_or(0)));
    return true;
}

bool TCliSession::Connect() {
    if (Engine.CheckConnection()) {
        return true;
    }
    Fail(ConnectionText());
    return false;
}

// A device that does not open is named, since it may be a saved default
// the user did not type.
std::string TCliSession::ConnectionText() const {
    switch (Front.ConnectionFailure.value_or(neNoAnswer)) {
    case neMidiIn:
        return MissingInput.empty() ? DeviceText("input", Engine.MidiIn->DeviceID, MidiInputNames())
                                    : MissingText("input", MissingInput);
    case neMidiOut:
        return MissingOutput.empty()
                   ? DeviceText("output", Engine.MidiOut->DeviceID, MidiOutputNames())
                   : MissingText("output", MissingOutput);
    case neSystemDisk:
        return "the sampler said \"wait\" and then fell silent (is its system disk in?)";
    case neNoAnswer:
        break;
    }
    return "the sampler does not answer (check the cables, the devices and the channel)";
}

int TCliSession::Fail(const std::string& reason) {
    std::string line = "tavimor-cli: " + reason;
    for (const std::string& warning : Front.Warnings) {
        line += " (the sampler: " + warning + ")";
    }
    std::cerr << line << std::endl;
    return esFailed;
}

int TCliSession::UsageError(const std::string& reason) {
    std::cerr << "tavimor-cli: " << reason << " (see tavimor-cli --help)" << std::endl;
    return esUsage;
}

int TCliSession::Finish(const TTransferReport& report) {
    switch (report.Outcome) {
    case toCompleted:
        std::cout << report.Message << std::endl;
        return esSuccess;
    case toNotStarted:
        if (Front.ConnectionFailure) {
            return Fail(ConnectionText());
        }
        return Fail(Front.Problem.empty() ? "the transfer did not start" : Front.Problem);
    default:
        return Fail(report.Message);
    }
}
