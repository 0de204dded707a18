#include "midi/MidiOut.h"

#include <algorithm>

#include "midi/Deadline.h"
#include "midi/MidiError.h"
#include "midi/SlotPool.h"
#include "vorrin/Vorrin.h"

namespace {

constexpr int OpenCloseSeconds = 5;
constexpr int BlockSeconds = 20;
constexpr std::uint8_t EndOfExclusive = 0xF7;
// The longest channel message.
constexpr std::size_t ShortMessageBytes = 3;
// The device failed to pass on a message (an earlier one, since it queues):
// the receiver may have missed part of what was sent.
constexpr const char* SendFailure = "error: Midiout cannot send data";

TSlotPool Pool;

} // namespace

TMidiOut::TMidiOut()
    : SlotNumber(Pool.Take("error: Midiout pool full")), Header(std::make_unique<MIDIHDR>()),
      Buffer(std::make_unique<char[]>(BufferSize)) {}

TMidiOut::~TMidiOut() {
    try {
        Close();
    } catch (const EMidiError&) {
        // The driver never gave the block or the device back and may still
        // touch them or report on this slot: better to leak the header, the
        // buffer and the slot than to let it write into freed memory.
        (void)Header.release();
        (void)Buffer.release();
        return;
    }
    Pool.Give(SlotNumber);
}

void TMidiOut::SetChannel(int channel) {
    ChannelNibble = static_cast<std::uint8_t>(std::clamp(channel, 1, 16) - 1);
}

bool TMidiOut::Open() {
    if (IsOpen()) {
        return true;
    }
    if (DeviceID == -1) {
        return false;
    }
    if (midiOutOpen(&Handle, static_cast<UINT>(DeviceID),
                    reinterpret_cast<DWORD_PTR>(&MidiOutHandler),
                    static_cast<DWORD_PTR>(SlotNumber), CALLBACK_FUNCTION) != MMSYSERR_NOERROR) {
        return false;
    }
    return TDeadline::WaitUntil(OpenCloseSeconds, [this] { return IsOpen(); });
}

void TMidiOut::Close() {
    if (!IsOpen()) {
        return;
    }
    WaitUntilIdle();
    UnprepareHeader();
    midiOutClose(Handle);
    Handle = nullptr;
    // A message cut short stays out of the next session's first block.
    Count = 0;
    if (!TDeadline::WaitUntil(OpenCloseSeconds, [this] { return !IsOpen(); })) {
        throw EMidiError("error: Unable to close Midiout");
    }
}

bool TMidiOut::IsOpen() const {
    return MIDIOUTISOPEN(SlotNumber) != 0;
}

bool TMidiOut::IsBusy() const {
    return MIDIOUTISBUSY(SlotNumber) != 0;
}

void TMidiOut::PutSysExByte(std::uint8_t byte) {
    if (!IsOpen()) {
        return;
    }
    // The buffer belongs to the driver until it reports the last block done.
    WaitUntilIdle();
    UnprepareHeader();
    Buffer[Count++] = static_cast<char>(byte);
    if (Count == static_cast<std::int32_t>(BufferSize) || byte == EndOfExclusive) {
        SendBlock();
    }
}

void TMidiOut::SendSysEx(std::span<const std::uint8_t> message) {
    if (!IsOpen()) {
        return;
    }
    for (std::uint8_t byte : message) {
        PutSysExByte(byte);
        if (byte == EndOfExclusive) {
            return;
        }
    }
}

void TMidiOut::SendShortMessage(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
    if (!IsOpen()) {
        return;
    }
    if (midiOutShortMsg(Handle, DWORD{status} | DWORD{data1} << 8 | DWORD{data2} << 16) !=
        MMSYSERR_NOERROR) {
        throw EMidiError(SendFailure);
    }
    Carry(ShortMessageBytes);
}

void TMidiOut::NoteOn(std::uint8_t key, std::uint8_t velocity) {
    NoteOn(ChannelNibble, key, velocity);
}

void TMidiOut::NoteOn(std::uint8_t channel, std::uint8_t key, std::uint8_t velocity) {
    SendChannelMessage(0x90, channel, key, velocity);
}

void TMidiOut::NoteOff(std::uint8_t key) {
    NoteOff(ChannelNibble, key);
}

void TMidiOut::NoteOff(std::uint8_t channel, std::uint8_t key) {
    NoteOn(channel, key, 0);
}

void TMidiOut::ProgramChange(std::uint8_t program) {
    ProgramChange(ChannelNibble, program);
}

void TMidiOut::ProgramChange(std::uint8_t channel, std::uint8_t program) {
    SendChannelMessage(0xC0, channel, program, 0);
}

void TMidiOut::ControlChange(std::uint8_t controller, std::uint8_t value) {
    ControlChange(ChannelNibble, controller, value);
}

void TMidiOut::ControlChange(std::uint8_t channel, std::uint8_t controller, std::uint8_t value) {
    SendChannelMessage(0xB0, channel, controller, value);
}

void TMidiOut::PolyKeyPressure(std::uint8_t key, std::uint8_t pressure) {
    PolyKeyPressure(ChannelNibble, key, pressure);
}

void TMidiOut::PolyKeyPressure(std::uint8_t channel, std::uint8_t key, std::uint8_t pressure) {
    SendChannelMessage(0xA0, channel, key, pressure);
}

void TMidiOut::ChannelPressure(std::uint8_t pressure) {
    ChannelPressure(ChannelNibble, pressure);
}

void TMidiOut::ChannelPressure(std::uint8_t channel, std::uint8_t pressure) {
    SendChannelMessage(0xD0, channel, pressure, 0);
}

void TMidiOut::PitchBend(std::uint16_t value) {
    PitchBend(ChannelNibble, value);
}

void TMidiOut::PitchBend(std::uint8_t channel, std::uint16_t value) {
    SendChannelMessage(0xE0, channel, value & 0x7F, (value >> 7) & 0x7F);
}

void TMidiOut::WaitUntilIdle() {
    if (!TDeadline::WaitUntil(BlockSeconds, [this] { return !IsBusy(); })) {
        throw EMidiError("error: Midiout takes too long to send data");
    }
}

void TMidiOut::UnprepareHeader() {
    if (Header->dwFlags & MHDR_PREPARED) {
        midiOutUnprepareHeader(Handle, Header.get(), sizeof(MIDIHDR));
    }
}

void TMidiOut::SendBlock() {
    *Header = MIDIHDR{};
    Header->lpData = Buffer.get();
    Header->dwBufferLength = static_cast<DWORD>(Count);
    midiOutPrepareHeader(Handle, Header.get(), sizeof(MIDIHDR));
    // Busy before the hand-over: a completion reported at once must not be
    // overwritten by a late mark.
    MIDIOUTMARKBUSY(SlotNumber);
    const MMRESULT result = midiOutLongMsg(Handle, Header.get(), sizeof(MIDIHDR));
    Carry(static_cast<std::size_t>(Count));
    Count = 0;
    if (result != MMSYSERR_NOERROR) {
        // The driver keeps nothing it refused, so nothing will report the
        // block done: report it here, or the next wait would last 20 s.
        MidiOutHandler(Handle, MOM_DONE, static_cast<DWORD_PTR>(SlotNumber),
                       reinterpret_cast<DWORD_PTR>(Header.get()), 0);
        throw EMidiError(SendFailure);
    }
}

void TMidiOut::SendChannelMessage(std::uint8_t kind, std::uint8_t channel, std::uint8_t data1,
                                  std::uint8_t data2) {
    // Only the low nibble names a channel; more would change the message kind.
    // A data byte keeps its low seven bits: with the top bit set the receiver
    // would take it for the status of a new message (a damaged parameter
    // block can hold a key above 127).
    SendShortMessage(kind | (channel & 0x0F), data1 & 0x7F, data2 & 0x7F);
}

void TMidiOut::Delivered() {
    Carried = std::min(Carried, std::chrono::steady_clock::now());
}

// A cable that fell idle carries the bytes from now on; a busy one after
// what it still carries.
void TMidiOut::Carry(std::size_t bytes) {
    Carried = std::max(Carried, std::chrono::steady_clock::now()) +
              static_cast<std::chrono::microseconds::rep>(bytes) * ByteTime;
}
