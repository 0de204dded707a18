// An in-process MIDI peer for tests: it records what the program sends to its
// output device, can echo it straight back to the program's input device, can
// hold a block (so the layer keeps it in flight) and can send bytes of its own.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "platform/MidiProvider.h"

class TLoopbackPeer : public TMidiLocalPeer {
public:
    explicit TLoopbackPeer(std::string name) : PeerName(std::move(name)) {}

    std::string Name() const override { return PeerName; }
    void Connect(TMidiByteSink* toProgram) override;
    void FromProgram(const std::uint8_t* data, std::size_t count) override;

    // When on, everything the program sends comes back to its input.
    void SetEcho(bool echo);
    // While held, FromProgram does not return, so the block stays with the
    // layer and is not reported done.
    void Hold();
    void Release();
    // Delivers bytes to the program's input; false when it is not open.
    bool SendToProgram(std::span<const std::uint8_t> bytes);
    bool IsConnected() const;

    // Everything received from the program so far, in order.
    std::vector<std::uint8_t> Received() const;
    std::size_t ReceivedCount() const;
    // Waits until at least count bytes have come from the program.
    bool WaitForReceived(std::size_t count,
                         std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    // Waits until FromProgram is blocked in a hold.
    bool WaitUntilHolding(std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

private:
    const std::string PeerName;
    mutable std::mutex Mutex;
    mutable std::condition_variable Changed;
    // Guards the sink on its own, so that Connect(nullptr) waits for an echo
    // in progress without waiting for a held block.
    mutable std::mutex SinkMutex;
    TMidiByteSink* Sink = nullptr;
    std::vector<std::uint8_t> Bytes;
    bool Echo = false;
    bool Held = false;
    bool Holding = false;
};

// Registers a loopback peer under a name for the life of the object and
// finds its device numbers in the MIDI layer's lists.
class TLoopbackDevice {
public:
    explicit TLoopbackDevice(const std::string& name);
    ~TLoopbackDevice();
    TLoopbackDevice(const TLoopbackDevice&) = delete;
    TLoopbackDevice& operator=(const TLoopbackDevice&) = delete;

    TLoopbackPeer& Peer() { return *PeerObject; }
    // Device numbers for midiOutOpen and midiInOpen; -1 when not listed.
    int OutputDevice() const;
    int InputDevice() const;

private:
    std::shared_ptr<TLoopbackPeer> PeerObject;
};
