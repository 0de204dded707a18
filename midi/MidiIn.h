// One MIDI input device. Two receive buffers circulate between the driver
// and Vorrin's callback, which appends every received System Exclusive byte
// to this port's ring; the program takes the bytes out one at a time.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/MidiApi.h"
#include "vorrin/Vorrin.h"

class TMidiIn {
public:
    static constexpr std::size_t BufferSize = 32768;

    // Takes a free slot and registers the ring with Vorrin; raises EMidiError
    // "error: Midiin pool full" when sixteen ports exist already.
    TMidiIn();
    ~TMidiIn();
    TMidiIn(const TMidiIn&) = delete;
    TMidiIn& operator=(const TMidiIn&) = delete;

    // The input device to open; -1 for none. Takes effect at the next Open.
    std::int32_t DeviceID = 0;
    // How long ReadByte waits for a byte, in seconds. Only a harness that
    // fills the ring before it reads has a reason to change it: with 0 an
    // empty ring fails the read at once.
    int ByteTimeout = 10;
    // Called about every WaiterInterval while a wait for input goes on, so
    // that the program can serve its window during the wait; answering false
    // gives the wait up. Unset, a wait simply sleeps to its end.
    std::function<bool()> WhileWaiting;
    static constexpr std::chrono::milliseconds WaiterInterval{50};

    int Slot() const { return SlotNumber; }

    // True once the device reports open (within 5 s) and receives; opening
    // empties the ring.
    bool Open();
    // Raises EMidiError when the device does not report closed within 5 s.
    // What was received stays in the ring.
    void Close();
    bool IsOpen() const;

    // Discards the unread bytes. Call it only when no reply is due.
    void ClearInput();
    std::uint32_t InputCount() const;
    // Sleeps until at least count bytes are waiting (true) or limit has
    // passed (false). The thread sleeps until input arrives rather than
    // polling, so waiting costs no processor time; it wakes only to call
    // WhileWaiting.
    bool WaitForInput(std::uint32_t count, std::chrono::milliseconds limit);
    // Calls WhileWaiting once the last call is WaiterInterval ago; false once
    // a call has answered false.
    bool StillWaiting();
    // A wait was given up through WhileWaiting: from then on every wait and
    // read fails at once, whatever the ring holds, until Resume.
    bool Interrupted() const { return InterruptedFlag; }
    void Resume() { InterruptedFlag = false; }
    // Takes the next byte, waiting up to 10 s for one; false on time-out.
    bool ReadByte(std::uint8_t& byte);
    // The last ReadByte failed for want of input: the line stayed silent for
    // ByteTimeout, or the wait was given up.
    bool TimedOut() const { return TimedOutFlag; }
    // Takes the next byte; true only when there was one and it is value.
    bool ExpectByte(std::uint8_t value);

private:
    void QueueBuffer(MIDIHDR& header, char* buffer);

    int SlotNumber = -1;
    HMIDIIN Handle = nullptr;
    // The driver and Vorrin hold pointers to these while the device is open,
    // so they stay at one address for the life of the port.
    std::unique_ptr<MIDIHDR> Header1;
    std::unique_ptr<MIDIHDR> Header2;
    std::unique_ptr<MidiInRing> Ring;
    std::unique_ptr<char[]> Buffer1;
    std::unique_ptr<char[]> Buffer2;
    bool InterruptedFlag = false;
    bool TimedOutFlag = false;
    std::chrono::steady_clock::time_point LastWaiterCall{};
};
