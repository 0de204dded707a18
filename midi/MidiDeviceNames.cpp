#include "midi/MidiDeviceNames.h"

#include <algorithm>

#include "platform/MidiApi.h"

namespace {

template <typename TCaps, typename TGetCaps>
std::vector<std::string> Names(UINT count, TGetCaps getCaps) {
    std::vector<std::string> names;
    for (UINT id = 0; id < count; ++id) {
        TCaps caps{};
        names.emplace_back(getCaps(id, &caps, sizeof(caps)) == MMSYSERR_NOERROR ? caps.szPname
                                                                                : "");
    }
    return names;
}

} // namespace

std::vector<std::string> MidiInputNames() {
    return Names<MIDIINCAPSA>(midiInGetNumDevs(), midiInGetDevCapsA);
}

std::vector<std::string> MidiOutputNames() {
    return Names<MIDIOUTCAPSA>(midiOutGetNumDevs(), midiOutGetDevCapsA);
}

std::optional<int> FindSavedDevice(const TSavedDevice& saved,
                                   const std::vector<std::string>& names) {
    if (saved.Name.empty()) {
        return saved.Number;
    }
    // Where several devices share the name, the saved number decides.
    const auto count = static_cast<int>(names.size());
    if (saved.Number >= 0 && saved.Number < count &&
        names[static_cast<std::size_t>(saved.Number)] == saved.Name) {
        return saved.Number;
    }
    const auto found = std::find(names.begin(), names.end(), saved.Name);
    if (found == names.end()) {
        return std::nullopt;
    }
    return static_cast<int>(found - names.begin());
}

std::string SavedDeviceName(int number, const std::vector<std::string>& names) {
    return number >= 0 && number < static_cast<int>(names.size())
               ? names[static_cast<std::size_t>(number)]
               : std::string();
}
