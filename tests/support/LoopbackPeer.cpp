#include "tests/support/LoopbackPeer.h"

#include <stdexcept>

#include "platform/MidiDevices.h"
#include "tests/support/DeviceNumbers.h"

void TLoopbackPeer::Connect(TMidiByteSink* toProgram) {
    std::lock_guard lock(SinkMutex);
    Sink = toProgram;
}

void TLoopbackPeer::FromProgram(const std::uint8_t* data, std::size_t count) {
    bool echo = false;
    {
        std::unique_lock lock(Mutex);
        Holding = Held;
        Changed.notify_all();
        Changed.wait(lock, [this] { return !Held; });
        Holding = false;
        Bytes.insert(Bytes.end(), data, data + count);
        echo = Echo;
    }
    Changed.notify_all();
    if (echo) {
        SendToProgram({data, count});
    }
}

void TLoopbackPeer::SetEcho(bool echo) {
    std::lock_guard lock(Mutex);
    Echo = echo;
}

void TLoopbackPeer::Hold() {
    std::lock_guard lock(Mutex);
    Held = true;
}

void TLoopbackPeer::Release() {
    {
        std::lock_guard lock(Mutex);
        Held = false;
    }
    Changed.notify_all();
}

bool TLoopbackPeer::SendToProgram(std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(SinkMutex);
    if (Sink == nullptr) {
        return false;
    }
    Sink->Received(bytes.data(), bytes.size());
    return true;
}

bool TLoopbackPeer::IsConnected() const {
    std::lock_guard lock(SinkMutex);
    return Sink != nullptr;
}

std::vector<std::uint8_t> TLoopbackPeer::Received() const {
    std::lock_guard lock(Mutex);
    return Bytes;
}

std::size_t TLoopbackPeer::ReceivedCount() const {
    std::lock_guard lock(Mutex);
    return Bytes.size();
}

bool TLoopbackPeer::WaitForReceived(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(Mutex);
    return Changed.wait_for(lock, timeout, [&] { return Bytes.size() >= count; });
}

bool TLoopbackPeer::WaitUntilHolding(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(Mutex);
    return Changed.wait_for(lock, timeout, [this] { return Holding; });
}

TLoopbackDevice::TLoopbackDevice(const std::string& name)
    : PeerObject(std::make_shared<TLoopbackPeer>(name)) {
    if (!MidiRegisterLocalPeer(PeerObject)) {
        throw std::logic_error("a MIDI peer named " + name + " is registered already");
    }
}

TLoopbackDevice::~TLoopbackDevice() {
    MidiUnregisterLocalPeer(PeerObject->Name());
}

int TLoopbackDevice::OutputDevice() const {
    return MidiOutputNumber(PeerObject->Name());
}

int TLoopbackDevice::InputDevice() const {
    return MidiInputNumber(PeerObject->Name());
}
