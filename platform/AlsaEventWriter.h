// Turns raw MIDI bytes into sequencer events from one port: short messages as
// the sequencer's own events, System Exclusive as fragments of at most 256
// bytes, paced at MIDI wire speed so that neither the sequencer nor an
// interface behind it drops any. Keeps its state between calls, so a message
// may come in pieces.
#pragma once

#include <cstddef>
#include <cstdint>

#include <alsa/asoundlib.h>

#include "platform/AlsaSysEx.h"

class TAlsaEventWriter {
public:
    TAlsaEventWriter();
    ~TAlsaEventWriter();
    TAlsaEventWriter(const TAlsaEventWriter&) = delete;
    TAlsaEventWriter& operator=(const TAlsaEventWriter&) = delete;

    // Sends to the port's subscribers; returns once the last event is paced.
    void Write(snd_seq_t* seq, int port, const std::uint8_t* data, std::size_t count);

private:
    void Output(snd_seq_t* seq, int port, const TAlsaSysEx::TPiece& piece);

    snd_midi_event_t* Encoder = nullptr;
    TAlsaSysEx Splitter;
};
