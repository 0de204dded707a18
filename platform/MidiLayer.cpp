// The multimedia MIDI calls, over the devices of TMidiDeviceList. Handles are
// checked against the set of open devices, so that a stale or null handle is
// refused with MMSYSERR_INVALHANDLE instead of being followed.
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/MidiApi.h"
#include "platform/MidiDeviceList.h"
#include "platform/MidiInDevice.h"
#include "platform/MidiOutDevice.h"

namespace {

class THandles {
public:
    template <typename T> std::shared_ptr<T> Find(TMidiHandleRecord* handle) {
        std::lock_guard lock(Mutex);
        const auto found = Open.find(handle);
        return found == Open.end() ? nullptr : std::dynamic_pointer_cast<T>(found->second);
    }
    void Add(std::shared_ptr<TMidiHandleRecord> record) {
        std::lock_guard lock(Mutex);
        Open[record.get()] = std::move(record);
    }
    void Remove(TMidiHandleRecord* handle) {
        std::lock_guard lock(Mutex);
        Open.erase(handle);
    }

private:
    std::mutex Mutex;
    std::map<TMidiHandleRecord*, std::shared_ptr<TMidiHandleRecord>> Open;
};

// Never destroyed: a program may end through exit() with devices still open,
// and tearing them down from an exit handler would close them under their
// driver threads while callbacks still reach into this table. Open devices
// end with the process.
THandles& Handles() {
    static auto* handles = new THandles;
    return *handles;
}

template <typename TCaps>
MMRESULT Capabilities(const std::vector<TMidiDeviceList::TDevice>& devices, UINT_PTR id,
                      TCaps* caps, UINT size) {
    if (caps == nullptr || size < sizeof(TCaps)) {
        return MMSYSERR_INVALPARAM;
    }
    if (id >= devices.size()) {
        return MMSYSERR_BADDEVICEID;
    }
    std::memset(caps, 0, sizeof(TCaps));
    const std::string& name = devices[id].Name;
    std::memcpy(caps->szPname, name.c_str(), std::min(name.size(), MAXPNAMELEN - 1));
    return MMSYSERR_NOERROR;
}

MMRESULT CheckOpenArguments(void* handle, DWORD flags) {
    if (handle == nullptr) {
        return MMSYSERR_INVALPARAM;
    }
    if (flags != CALLBACK_FUNCTION && flags != CALLBACK_NULL) {
        return MMSYSERR_INVALFLAG;
    }
    return MMSYSERR_NOERROR;
}

MidiCallback CallbackOf(DWORD_PTR callback, DWORD flags) {
    return flags == CALLBACK_FUNCTION ? reinterpret_cast<MidiCallback>(callback) : nullptr;
}

MMRESULT Prepare(LPMIDIHDR header, UINT size) {
    if (header == nullptr || size < sizeof(MIDIHDR)) {
        return MMSYSERR_INVALPARAM;
    }
    header->dwFlags |= MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT Unprepare(LPMIDIHDR header, UINT size) {
    if (header == nullptr || size < sizeof(MIDIHDR)) {
        return MMSYSERR_INVALPARAM;
    }
    if ((header->dwFlags & MHDR_INQUEUE) != 0) {
        return MIDIERR_STILLPLAYING;
    }
    header->dwFlags &= ~MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

template <typename T, typename TCall> MMRESULT WithDevice(TMidiHandleRecord* handle, TCall call) {
    const auto device = Handles().Find<T>(handle);
    return device ? call(*device) : MMSYSERR_INVALHANDLE;
}

template <typename T> MMRESULT CloseDevice(TMidiHandleRecord* handle) {
    return WithDevice<T>(handle, [handle](T& device) {
        const MMRESULT result = device.Close();
        if (result == MMSYSERR_NOERROR) {
            Handles().Remove(handle);
        }
        return result;
    });
}

} // namespace

extern "C" {

UINT midiOutGetNumDevs() {
    return static_cast<UINT>(TMidiDeviceList::Instance().Outputs().size());
}

MMRESULT midiOutGetDevCapsA(UINT_PTR deviceId, MIDIOUTCAPSA* caps, UINT size) {
    return Capabilities(TMidiDeviceList::Instance().Outputs(), deviceId, caps, size);
}

MMRESULT midiOutOpen(HMIDIOUT* handle, UINT deviceId, DWORD_PTR callback, DWORD_PTR instance,
                     DWORD flags) {
    if (const MMRESULT result = CheckOpenArguments(handle, flags)) {
        return result;
    }
    const auto devices = TMidiDeviceList::Instance().Outputs();
    if (deviceId >= devices.size()) {
        return MMSYSERR_BADDEVICEID;
    }
    auto endpoint = devices[deviceId].Provider->OpenOutput(devices[deviceId].Index);
    if (!endpoint) {
        return MMSYSERR_ALLOCATED;
    }
    auto device = std::make_shared<TMidiOutDevice>(std::move(endpoint), CallbackOf(callback, flags),
                                                   instance);
    *handle = device.get();
    Handles().Add(device);
    device->Start();
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutClose(HMIDIOUT handle) {
    return CloseDevice<TMidiOutDevice>(handle);
}

MMRESULT midiOutShortMsg(HMIDIOUT handle, DWORD message) {
    return WithDevice<TMidiOutDevice>(handle,
                                      [message](auto& device) { return device.ShortMsg(message); });
}

MMRESULT midiOutPrepareHeader(HMIDIOUT handle, LPMIDIHDR header, UINT size) {
    return WithDevice<TMidiOutDevice>(handle, [&](auto&) { return Prepare(header, size); });
}

MMRESULT midiOutUnprepareHeader(HMIDIOUT handle, LPMIDIHDR header, UINT size) {
    return WithDevice<TMidiOutDevice>(handle, [&](auto&) { return Unprepare(header, size); });
}

MMRESULT midiOutLongMsg(HMIDIOUT handle, LPMIDIHDR header, UINT size) {
    if (size < sizeof(MIDIHDR)) {
        return MMSYSERR_INVALPARAM;
    }
    return WithDevice<TMidiOutDevice>(handle,
                                      [header](auto& device) { return device.LongMsg(header); });
}

MMRESULT midiOutReset(HMIDIOUT handle) {
    return WithDevice<TMidiOutDevice>(handle, [](auto& device) { return device.Reset(); });
}

UINT midiInGetNumDevs() {
    return static_cast<UINT>(TMidiDeviceList::Instance().Inputs().size());
}

MMRESULT midiInGetDevCapsA(UINT_PTR deviceId, MIDIINCAPSA* caps, UINT size) {
    return Capabilities(TMidiDeviceList::Instance().Inputs(), deviceId, caps, size);
}

MMRESULT midiInOpen(HMIDIIN* handle, UINT deviceId, DWORD_PTR callback, DWORD_PTR instance,
                    DWORD flags) {
    if (const MMRESULT result = CheckOpenArguments(handle, flags)) {
        return result;
    }
    const auto devices = TMidiDeviceList::Instance().Inputs();
    if (deviceId >= devices.size()) {
        return MMSYSERR_BADDEVICEID;
    }
    auto device = std::make_shared<TMidiInDevice>(CallbackOf(callback, flags), instance);
    auto endpoint = devices[deviceId].Provider->OpenInput(devices[deviceId].Index, device->Sink());
    if (!endpoint) {
        return MMSYSERR_ALLOCATED;
    }
    *handle = device.get();
    Handles().Add(device);
    device->Attach(std::move(endpoint));
    return MMSYSERR_NOERROR;
}

MMRESULT midiInClose(HMIDIIN handle) {
    return CloseDevice<TMidiInDevice>(handle);
}

MMRESULT midiInPrepareHeader(HMIDIIN handle, LPMIDIHDR header, UINT size) {
    return WithDevice<TMidiInDevice>(handle, [&](auto&) { return Prepare(header, size); });
}

MMRESULT midiInUnprepareHeader(HMIDIIN handle, LPMIDIHDR header, UINT size) {
    return WithDevice<TMidiInDevice>(handle, [&](auto&) { return Unprepare(header, size); });
}

MMRESULT midiInAddBuffer(HMIDIIN handle, LPMIDIHDR header, UINT size) {
    if (size < sizeof(MIDIHDR)) {
        return MMSYSERR_INVALPARAM;
    }
    return WithDevice<TMidiInDevice>(handle,
                                     [header](auto& device) { return device.AddBuffer(header); });
}

MMRESULT midiInStart(HMIDIIN handle) {
    return WithDevice<TMidiInDevice>(handle, [](auto& device) { return device.Start(); });
}

MMRESULT midiInStop(HMIDIIN handle) {
    return WithDevice<TMidiInDevice>(handle, [](auto& device) { return device.Stop(); });
}

MMRESULT midiInReset(HMIDIIN handle) {
    return WithDevice<TMidiInDevice>(handle, [](auto& device) { return device.Reset(); });
}

} // extern "C"
