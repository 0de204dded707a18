// What a MIDI input driver reports through its callback, kept in arrival
// order for a thread of ours that turns it into the bytes of a MIDI cable.
// The multimedia MIDI API forbids calling it from its own callback, so the
// callback only records: short messages, and the receive buffers the driver
// hands back; the thread takes them, copies the bytes out and gives the
// buffers back to the driver. Free of any MIDI system, so that it can be
// tested anywhere.
//
// Input is lost when the driver says so (an error report, a damaged buffer),
// when it is left without a buffer to record into, and when short messages
// come faster than the thread takes them. Whatever is lost, the System
// Exclusive message in progress is dropped, since what follows the gap would
// be glued onto the wrong bytes, and the loss is reported once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/MidiExport.h"
#include "platform/MidiPieces.h"

class TAVIMOR_MIDI_API TDriverInputQueue {
public:
    // What the thread is to do with what it took, in this order: give the
    // buffers back, say that input was lost, hand the bytes to the sink.
    struct TBatch {
        std::vector<void*> Buffers;
        bool Lost = false;
        std::vector<std::uint8_t> Bytes;
    };

    // Room for this many reports, of which `buffers`, the number of receive
    // buffers in use, are kept for the buffers: a buffer handed back is
    // never lost.
    TDriverInputQueue(std::size_t capacity, std::size_t buffers);

    // The callback's side: never allocates and holds its lock only briefly.
    void ShortMessage(std::uint32_t packed);
    // A buffer the driver has handed back with `count` bytes recorded at
    // `data`; `damaged` when the driver reports them broken.
    void BufferDone(void* buffer, const std::uint8_t* data, std::size_t count, bool damaged);
    void Lost();

    // The thread's side. A buffer is counted as the driver's from just before
    // it is handed over until the driver hands it back.
    void BufferQueued();
    void BufferRefused();
    std::size_t BuffersWithDriver() const;
    void Take(TBatch& batch);

private:
    struct TReport {
        bool LossBefore;
        void* Buffer; // null for a short message
        std::uint32_t Message;
        const std::uint8_t* Data;
        std::size_t Count;
    };

    // With the lock held.
    void Add(TReport report);
    void Read(const TReport& report, TBatch& batch);

    mutable std::mutex Mutex;
    std::vector<TReport> Ring;
    std::size_t ShortRoom;
    std::size_t First = 0;
    std::size_t Size = 0;
    std::size_t WithDriver = 0;
    bool LossPending = false;
    // The thread's alone.
    TMidiPieces Joiner;
};
