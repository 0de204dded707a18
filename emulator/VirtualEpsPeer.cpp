#include "emulator/VirtualEpsPeer.h"

#include "platform/MidiDevices.h"

void TVirtualEpsPeer::Connect(TMidiByteSink* toProgram) {
    std::lock_guard lock(Mutex);
    if (Program != nullptr) {
        Eps.Detach(*Program);
    }
    Program = toProgram;
    if (Program != nullptr) {
        Eps.Attach(*Program);
    }
}

void TVirtualEpsPeer::FromProgram(const std::uint8_t* data, std::size_t count) {
    Eps.Feed(data, count);
}

std::shared_ptr<TVirtualEpsPeer> RegisterBuiltInSampler() {
    static std::once_flag once;
    static std::shared_ptr<TVirtualEpsPeer> shared;
    std::call_once(once, [] {
        shared = std::make_shared<TVirtualEpsPeer>();
        MidiRegisterLocalPeer(shared);
    });
    return shared;
}
