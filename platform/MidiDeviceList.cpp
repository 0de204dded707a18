#include "platform/MidiDeviceList.h"

#include <cstdlib>
#include <sstream>

#include "platform/MidiDevices.h"
#include "platform/OsMidiProvider.h"

// Never destroyed, like the open devices that use its providers (see the
// handle table of the MIDI calls).
TMidiDeviceList& TMidiDeviceList::Instance() {
    static auto* list = new TMidiDeviceList;
    return *list;
}

TMidiDeviceList::TMidiDeviceList() : OsDevices(CreateOsMidiProvider()) {
    if (const char* names = std::getenv("TAVIMOR_MIDI_DEVICES")) {
        std::istringstream stream(names);
        std::string name;
        while (std::getline(stream, name, ';')) {
            SocketDevices.Add(name);
        }
    }
}

std::vector<TMidiDeviceList::TDevice> TMidiDeviceList::Inputs() {
    return List(true);
}

std::vector<TMidiDeviceList::TDevice> TMidiDeviceList::Outputs() {
    return List(false);
}

std::vector<TMidiDeviceList::TDevice> TMidiDeviceList::List(bool inputs) {
    std::vector<TDevice> devices;
    for (TMidiProvider* provider : {static_cast<TMidiProvider*>(&LocalDevices), OsDevices.get(),
                                    static_cast<TMidiProvider*>(&SocketDevices)}) {
        const auto names = inputs ? provider->InputNames() : provider->OutputNames();
        for (std::size_t i = 0; i < names.size(); ++i) {
            devices.push_back({provider, i, names[i]});
        }
    }
    return devices;
}

bool MidiRegisterLocalPeer(std::shared_ptr<TMidiLocalPeer> peer) {
    return peer && TMidiDeviceList::Instance().Local().Register(std::move(peer));
}

void MidiUnregisterLocalPeer(const std::string& name) {
    TMidiDeviceList::Instance().Local().Unregister(name);
}

bool MidiAddDevice(const std::string& name) {
    return TMidiDeviceList::Instance().Sockets().Add(name);
}
