// Turns raw MIDI bytes into sequencer events from one port: short messages as
// the sequencer's own events, System Exclusive as fragments of at most 256
// bytes, paced at MIDI wire speed so that neither the sequencer nor an
// interface behind it drops any. Keeps its state between calls, so a message
// may come in pieces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>

#include <alsa/asoundlib.h>

#include "platform/MidiPieces.h"

class TAlsaEventWriter {
public:
    // handleLock, when given, is held around each use of the sequencer
    // handle, for a handle that another thread reads from: alsa-lib's
    // handles are not safe to share between threads.
    explicit TAlsaEventWriter(std::mutex* handleLock = nullptr);
    ~TAlsaEventWriter();
    TAlsaEventWriter(const TAlsaEventWriter&) = delete;
    TAlsaEventWriter& operator=(const TAlsaEventWriter&) = delete;

    // Sends to the port's subscribers; returns once the last event is paced.
    // False when the sequencer refused an event (a subscriber's queue is
    // full or the event too large for it): the rest of the bytes are not
    // sent, since they would reach the subscriber glued onto a gap.
    bool Write(snd_seq_t* seq, int port, const std::uint8_t* data, std::size_t count);

private:
    bool Output(snd_seq_t* seq, int port, const TMidiPieces::TPiece& piece);
    int OutputDirect(snd_seq_t* seq, snd_seq_event_t& event);

    std::mutex* HandleLock;
    snd_midi_event_t* Encoder = nullptr;
    TMidiPieces Splitter;
};
