// The byte-level half of the operating systems' MIDI providers: raw MIDI
// bytes cut into the pieces a MIDI system carries, and pieces joined back
// into bytes. Kept free of any MIDI system so that it can be tested anywhere.
//
// The ALSA sequencer carries MIDI as events, not bytes. It refuses single
// events much above 16 KB and drops data when a receiver falls behind, so
// System Exclusive goes out as a series of small fragments, each sent as its
// own event and paced at MIDI wire speed. The Windows multimedia API hands
// System Exclusive over in buffers, and a long message may arrive spread over
// several of them. Either way, received pieces are joined back into the byte
// stream a MIDI cable would carry.
#pragma once

#include "platform/MidiExport.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

class TAVIMOR_MIDI_API TMidiPieces {
public:
    // Longest System Exclusive fragment sent as one event.
    static constexpr std::size_t MaxFragment = 256;
    // Time one byte takes on a MIDI cable: 10 bits at 31250 baud.
    static constexpr std::chrono::microseconds ByteTime{320};

    // One event to send: a complete short message (channel, system common or
    // realtime), or up to MaxFragment bytes of a System Exclusive message.
    struct TPiece {
        bool SysEx;
        std::span<const std::uint8_t> Bytes;
    };
    using TPieceSink = std::function<void(const TPiece&)>;

    // Cuts raw outgoing MIDI bytes into pieces, in order. A message may be
    // split over several calls; what belongs to an unfinished System
    // Exclusive message is passed on before the call returns, the bytes of an
    // unfinished short message are kept for the next call. Running status is
    // understood; stray data bytes are dropped.
    void Split(const std::uint8_t* data, std::size_t count, const TPieceSink& emit);

    // How long to wait after handing over a piece of the given size, when
    // handing it over took `elapsed` already, so that the device receives no
    // faster than a MIDI cable delivers.
    static std::chrono::microseconds PaceDelay(std::size_t bytes,
                                               std::chrono::microseconds elapsed);

    // Appends to `out` the raw bytes of one received event: the payload of a
    // System Exclusive event (`sysEx`), or a decoded short message. Fragments
    // join into one continuous message; bytes of a message whose start was
    // never seen are dropped, since a receiver could not tell them from
    // running-status data.
    void Join(const std::uint8_t* data, std::size_t count, bool sysEx,
              std::vector<std::uint8_t>& out);
    // Forgets the message being joined: part of it was lost, so what comes
    // until the next message starts would be glued onto the wrong bytes.
    void DropMessage() { InSysEx = false; }

private:
    void StartShort(std::uint8_t status, const TPieceSink& emit);
    void AddData(std::uint8_t byte, const TPieceSink& emit);
    void Add(std::uint8_t byte, const TPieceSink& emit);

    // Outgoing state, kept between Split calls.
    bool OutSysEx = false;
    std::uint8_t RunningStatus = 0;
    std::uint8_t Short[3] = {};
    std::size_t ShortHave = 0;
    std::size_t ShortNeed = 0;

    // Incoming state, kept between Join calls.
    bool InSysEx = false;
};
