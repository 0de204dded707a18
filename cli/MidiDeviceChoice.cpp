#include "cli/MidiDeviceChoice.h"

#include <algorithm>
#include <cctype>

#include "midi/MidiDeviceNames.h"
#include "platform/MidiApi.h"
#include "platform/MidiDevices.h"
#include "platform/SocketAddress.h"

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool IsNumber(const std::string& text) {
    return !text.empty() && text.size() < 6 &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

// The device list keeps names to a fixed length, so a long path is listed
// cut short.
std::optional<int> FindName(const std::vector<std::string>& names, const std::string& name) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (!names[i].empty() && name.starts_with(names[i]) &&
            (names[i] == name || names[i].size() == MAXPNAMELEN - 1)) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

// A name equal to the text (in any case) wins over names that only hold it.
std::optional<int> MatchName(const std::vector<std::string>& names, const std::string& text,
                             const std::string& kind, std::string& error) {
    const std::string wanted = Lower(text);
    std::vector<int> matches;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string name = Lower(names[i]);
        if (name == wanted) {
            return static_cast<int>(i);
        }
        if (name.find(wanted) != std::string::npos) {
            matches.push_back(static_cast<int>(i));
        }
    }
    if (matches.size() == 1) {
        return matches[0];
    }
    if (matches.empty()) {
        error = "no MIDI " + kind + " device matches \"" + text + "\"";
    } else {
        error = "\"" + text + "\" matches several MIDI " + kind + " devices:";
        for (int match : matches) {
            error += " \"" + names[static_cast<std::size_t>(match)] + "\"";
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<int> ChooseMidiDevice(const std::string& text, bool input, std::string& error) {
    const std::string kind = input ? "input" : "output";
    if (TSocketAddress::Looks(text)) {
        std::string reason;
        if (!TSocketAddress::Parse(text, reason)) {
            error = "cannot use " + text + ": " + reason;
            return std::nullopt;
        }
        MidiAddDevice(text);
        const std::optional<int> found =
            FindName(input ? MidiInputNames() : MidiOutputNames(), text);
        if (!found) {
            error = "cannot use " + text + " as a MIDI " + kind + " device";
        }
        return found;
    }
    const std::vector<std::string> names = input ? MidiInputNames() : MidiOutputNames();
    if (IsNumber(text)) {
        const int number = std::stoi(text);
        if (number >= static_cast<int>(names.size())) {
            error = "there is no MIDI " + kind + " device " + text;
            return std::nullopt;
        }
        return number;
    }
    return MatchName(names, text, kind, error);
}
