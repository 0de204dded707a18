#include "tests/support/DeviceNumbers.h"

#include "platform/MidiApi.h"

namespace {

template <typename TCaps, typename TGetCaps>
int FindDevice(const std::string& name, UINT count, TGetCaps getCaps) {
    for (UINT id = 0; id < count; ++id) {
        TCaps caps{};
        if (getCaps(id, &caps, sizeof(caps)) == MMSYSERR_NOERROR && name == caps.szPname) {
            return static_cast<int>(id);
        }
    }
    return -1;
}

} // namespace

int MidiInputNumber(const std::string& name) {
    return FindDevice<MIDIINCAPSA>(name, midiInGetNumDevs(), midiInGetDevCapsA);
}

int MidiOutputNumber(const std::string& name) {
    return FindDevice<MIDIOUTCAPSA>(name, midiOutGetNumDevs(), midiOutGetDevCapsA);
}
