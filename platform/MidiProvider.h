// A source of MIDI devices for the platform MIDI layer. The layer lists the
// devices of every provider one after the other; a device number is a
// position in that combined list. Providers move raw MIDI bytes, exactly as
// they are on a MIDI cable: short messages and whole or partial System
// Exclusive messages, in order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Where an open input device delivers what it receives. Called from any of the
// provider's threads; bytes of one device arrive in order.
class TMidiByteSink {
public:
    virtual ~TMidiByteSink() = default;
    virtual void Received(const std::uint8_t* data, std::size_t count) = 0;
};

// An open input device. Destroying it stops delivery: once the destructor
// has returned the sink is never called again.
class TMidiInputEndpoint {
public:
    virtual ~TMidiInputEndpoint() = default;
};

// An open output device. Send is called from the layer's driver thread only,
// one call at a time, and may block until the bytes are on their way (this is
// where a provider paces its output). False when not all of them went out:
// the device has failed, and what follows may not reach the receiver whole.
class TMidiOutputEndpoint {
public:
    virtual ~TMidiOutputEndpoint() = default;
    virtual bool Send(const std::uint8_t* data, std::size_t count) = 0;
};

class TMidiProvider {
public:
    virtual ~TMidiProvider() = default;
    // Names of the devices this provider offers now; an index into one of
    // these lists is what the open calls take.
    virtual std::vector<std::string> InputNames() = 0;
    virtual std::vector<std::string> OutputNames() = 0;
    // Null when the device cannot be opened (gone, busy, unreachable).
    virtual std::unique_ptr<TMidiInputEndpoint> OpenInput(std::size_t index,
                                                          TMidiByteSink& sink) = 0;
    virtual std::unique_ptr<TMidiOutputEndpoint> OpenOutput(std::size_t index) = 0;
};

// An in-process peer that offers one input and one output device under one
// name: the built-in virtual sampler, or a loopback in tests. What the program
// sends to the output device reaches FromProgram; the peer answers through the
// sink it was given by Connect, which is the program's input device.
class TMidiLocalPeer {
public:
    virtual ~TMidiLocalPeer() = default;
    virtual std::string Name() const = 0;
    // Called with the program's input sink when its input device opens, and
    // with null when it closes. The peer must not call the sink after
    // Connect(nullptr) has returned.
    virtual void Connect(TMidiByteSink* toProgram) = 0;
    virtual void FromProgram(const std::uint8_t* data, std::size_t count) = 0;
};
