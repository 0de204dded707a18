#include "platform/WinMmProvider.h"

#include "platform/OsMidiProvider.h"
#include "platform/UniqueNames.h"
#include "platform/WinMm.h"
#include "platform/WinMmInput.h"
#include "platform/WinMmOutput.h"

namespace {

struct TDevice {
    std::string Name;
    UINT Id;
};

// Names that several devices share (two interfaces of one make) get the
// device's number, counted from 1 as Windows counts them, "Name (2)".
template <typename TCaps, typename TCount, typename TGetCaps>
std::vector<std::string> Names(TCount count, TGetCaps getCaps) {
    std::vector<TDevice> devices;
    const UINT devicesNow = count();
    for (UINT id = 0; id < devicesNow; ++id) {
        TCaps caps{};
        const bool known = getCaps(id, &caps, sizeof caps) == MMSYSERR_NOERROR;
        devices.push_back({known ? Utf8DeviceName(caps.szPname) : std::string(), id});
    }
    MakeNamesUnique(devices, &TDevice::Name,
                    [](const TDevice& device) { return std::to_string(device.Id + 1); });
    std::vector<std::string> names;
    for (TDevice& device : devices) {
        names.push_back(std::move(device.Name));
    }
    return names;
}

} // namespace

std::unique_ptr<TMidiProvider> CreateOsMidiProvider() {
    return std::make_unique<TWinMmProvider>();
}

std::vector<std::string> TWinMmProvider::InputNames() {
    const TWinMm* winMm = TWinMm::Get();
    return winMm ? Names<MIDIINCAPSW>(winMm->InGetNumDevs, winMm->InGetDevCaps)
                 : std::vector<std::string>();
}

std::vector<std::string> TWinMmProvider::OutputNames() {
    const TWinMm* winMm = TWinMm::Get();
    return winMm ? Names<MIDIOUTCAPSW>(winMm->OutGetNumDevs, winMm->OutGetDevCaps)
                 : std::vector<std::string>();
}

std::unique_ptr<TMidiInputEndpoint> TWinMmProvider::OpenInput(std::size_t index,
                                                              TMidiByteSink& sink) {
    const TWinMm* winMm = TWinMm::Get();
    return winMm ? TWinMmInput::Open(*winMm, static_cast<UINT>(index), sink) : nullptr;
}

std::unique_ptr<TMidiOutputEndpoint> TWinMmProvider::OpenOutput(std::size_t index) {
    const TWinMm* winMm = TWinMm::Get();
    return winMm ? TWinMmOutput::Open(*winMm, static_cast<UINT>(index)) : nullptr;
}
