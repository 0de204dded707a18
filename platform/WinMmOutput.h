// An output device of the multimedia MIDI API. Short messages go out with
// midiOutShortMsg, every System Exclusive message whole in one long buffer:
// Wine's driver frames each long buffer as a message of its own, adding F0
// and F7 where they are missing, so a message must not be cut into pieces.
// Each message is paced at MIDI wire speed, waiting out what the driver did
// not take itself, so that a driver that passes a buffer on at once does not
// overrun the interface or receiver behind it.
#pragma once

#include "platform/WinMm.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/MidiPieces.h"
#include "platform/MidiProvider.h"

class TWinMmOutput : public TMidiOutputEndpoint {
public:
    // Null when the device cannot be opened.
    static std::unique_ptr<TWinMmOutput> Open(const TWinMm& winMm, UINT device);
    ~TWinMmOutput() override;
    TWinMmOutput(const TWinMmOutput&) = delete;
    TWinMmOutput& operator=(const TWinMmOutput&) = delete;

    bool Send(const std::uint8_t* data, std::size_t count) override;

private:
    // The System Exclusive message gathered for sending, with the header the
    // driver holds while it sends it.
    struct TLongMessage {
        MIDIHDR Header;
        std::vector<char> Data;
    };

    explicit TWinMmOutput(const TWinMm& winMm);
    bool Output(const TMidiPieces::TPiece& piece);
    bool SendShort(std::span<const std::uint8_t> bytes);
    bool SendLong();
    bool WaitDone(std::chrono::steady_clock::duration limit);
    static void Pace(std::size_t bytes, std::chrono::steady_clock::time_point start);

    const TWinMm& WinMm;
    // Set by the driver when it is done with a long buffer.
    HANDLE Done;
    HMIDIOUT Handle = nullptr;
    TMidiPieces Splitter;
    // Null once the driver kept a buffer it was told to give back: it may
    // still write to it, so it is left to the driver and nothing more is sent.
    std::unique_ptr<TLongMessage> Long;
};
