// The combined list of MIDI devices behind the MIDI calls: in-process peers
// first, then the OS's ports, then the byte-stream devices.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/LocalProvider.h"
#include "platform/MidiProvider.h"
#include "platform/SocketProvider.h"

class TMidiDeviceList {
public:
    struct TDevice {
        TMidiProvider* Provider = nullptr;
        std::size_t Index = 0;
        std::string Name;
    };

    static TMidiDeviceList& Instance();

    std::vector<TDevice> Inputs();
    std::vector<TDevice> Outputs();
    TLocalProvider& Local() { return LocalDevices; }
    TSocketProvider& Sockets() { return SocketDevices; }

private:
    TMidiDeviceList();
    std::vector<TDevice> List(bool inputs);

    TLocalProvider LocalDevices;
    std::unique_ptr<TMidiProvider> OsDevices;
    TSocketProvider SocketDevices;
};
