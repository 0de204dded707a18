// One MIDI output device: System Exclusive messages collected byte by byte
// into one buffer that goes to the driver as one block per message, and short
// channel messages on a configurable channel. The driver's notifications reach
// Vorrin; the port learns of them by polling Vorrin's flags for its slot.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "platform/MidiApi.h"

class TMidiOut {
public:
    static constexpr std::size_t BufferSize = 32768;
    // A byte on a MIDI cable: 10 bits at 31250 baud.
    static constexpr std::chrono::microseconds ByteTime{320};

    // Takes a free slot; raises EMidiError "error: Midiout pool full" when
    // sixteen ports exist already.
    TMidiOut();
    ~TMidiOut();
    TMidiOut(const TMidiOut&) = delete;
    TMidiOut& operator=(const TMidiOut&) = delete;

    // The output device to open; -1 for none. Takes effect at the next Open.
    std::int32_t DeviceID = 0;

    int Slot() const { return SlotNumber; }
    // 1..16; values outside are taken as the nearest end.
    int Channel() const { return ChannelNibble + 1; }
    void SetChannel(int channel);

    // True once the driver reports the device open (within 5 s).
    bool Open();
    // Waits for the block in flight and for the driver to report the device
    // closed; raises EMidiError when either does not happen in time.
    void Close();
    bool IsOpen() const;
    bool IsBusy() const;

    // Appends one byte; the block goes to the driver at F7 or when the buffer
    // is full. Dropped while the port is closed. Here and in the short
    // messages, raises EMidiError "error: Midiout cannot send data" once the
    // device has failed to send an earlier message.
    void PutSysExByte(std::uint8_t byte);
    // Puts the bytes up to and including the first F7 (or all of them when
    // there is none).
    void SendSysEx(std::span<const std::uint8_t> message);
    void SendShortMessage(std::uint8_t status, std::uint8_t data1, std::uint8_t data2);
    // When a MIDI cable has carried everything sent so far: a receiver can
    // answer the last message only after that, however soon the driver took
    // it.
    std::chrono::steady_clock::time_point CarriedBy() const { return Carried; }
    // The receiver has answered the last message: whatever carried it was
    // done, even one faster than a MIDI cable.
    void Delivered();

    // Channel messages, on the port's channel or on an explicit channel 0..15.
    void NoteOn(std::uint8_t key, std::uint8_t velocity);
    void NoteOn(std::uint8_t channel, std::uint8_t key, std::uint8_t velocity);
    // A note on with velocity 0, which every receiver takes as note off.
    void NoteOff(std::uint8_t key);
    void NoteOff(std::uint8_t channel, std::uint8_t key);
    void ProgramChange(std::uint8_t program);
    void ProgramChange(std::uint8_t channel, std::uint8_t program);
    void ControlChange(std::uint8_t controller, std::uint8_t value);
    void ControlChange(std::uint8_t channel, std::uint8_t controller, std::uint8_t value);
    void PolyKeyPressure(std::uint8_t key, std::uint8_t pressure);
    void PolyKeyPressure(std::uint8_t channel, std::uint8_t key, std::uint8_t pressure);
    void ChannelPressure(std::uint8_t pressure);
    void ChannelPressure(std::uint8_t channel, std::uint8_t pressure);
    // value is 14 bits, 8192 being the centre.
    void PitchBend(std::uint16_t value);
    void PitchBend(std::uint8_t channel, std::uint16_t value);

private:
    void WaitUntilIdle();
    void UnprepareHeader();
    void SendBlock();
    void SendChannelMessage(std::uint8_t kind, std::uint8_t channel, std::uint8_t data1,
                            std::uint8_t data2);
    // Counts bytes handed to the driver now onto the cable.
    void Carry(std::size_t bytes);

    int SlotNumber = -1;
    HMIDIOUT Handle = nullptr;
    // The driver holds the header and the buffer while a block is in flight,
    // so both stay at one address for the life of the port.
    std::unique_ptr<MIDIHDR> Header;
    std::unique_ptr<char[]> Buffer;
    std::int32_t Count = 0;
    std::uint8_t ChannelNibble = 0;
    std::chrono::steady_clock::time_point Carried{};
};
