#include "platform/AlsaEventReader.h"

#include <cstdio>
#include <new>

namespace {

// Room for the longest short message sequence one event decodes to (an RPN).
constexpr std::size_t DecodedSize = 16;

} // namespace

TAlsaEventReader::TAlsaEventReader() {
    if (snd_midi_event_new(DecodedSize, &Decoder) < 0) {
        throw std::bad_alloc();
    }
    // Every message with its status byte: the reader of the bytes cannot
    // know the status a running-status encoder left out.
    snd_midi_event_no_status(Decoder, 1);
}

TAlsaEventReader::~TAlsaEventReader() {
    snd_midi_event_free(Decoder);
}

void TAlsaEventReader::Read(const snd_seq_event_t& event, std::vector<std::uint8_t>& bytes) {
    if (event.type == SND_SEQ_EVENT_SYSEX) {
        Joiner.Join(static_cast<const std::uint8_t*>(event.data.ext.ptr), event.data.ext.len, true,
                    bytes);
        return;
    }
    std::uint8_t decoded[DecodedSize];
    const long count = snd_midi_event_decode(Decoder, decoded, sizeof decoded, &event);
    if (count > 0) {
        Joiner.Join(decoded, static_cast<std::size_t>(count), false, bytes);
    }
}

// The layer has no trace of its own, and the loss explains a failure the
// user is about to see, so it is told on the error stream.
void TAlsaEventReader::Overrun() {
    Joiner.DropMessage();
    std::fputs("MIDI input overrun: the ALSA sequencer lost events; the System Exclusive "
               "message in progress is dropped\n",
               stderr);
}
