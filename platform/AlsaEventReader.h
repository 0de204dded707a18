// Turns received sequencer events back into raw MIDI bytes: every short
// message with its status byte, System Exclusive fragments joined into whole
// messages.
#pragma once

#include <cstdint>
#include <vector>

#include <alsa/asoundlib.h>

#include "platform/MidiPieces.h"

class TAlsaEventReader {
public:
    TAlsaEventReader();
    ~TAlsaEventReader();
    TAlsaEventReader(const TAlsaEventReader&) = delete;
    TAlsaEventReader& operator=(const TAlsaEventReader&) = delete;

    // Appends the event's bytes; events that are no MIDI message (such as
    // subscription notices) add nothing.
    void Read(const snd_seq_event_t& event, std::vector<std::uint8_t>& bytes);
    // The sequencer lost events because we fell behind (and emptied our
    // queue): the message in progress is dropped, and the loss traced.
    void Overrun();

private:
    snd_midi_event_t* Decoder = nullptr;
    TMidiPieces Joiner;
};
