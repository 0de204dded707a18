#include "platform/AlsaEventWriter.h"

#include <chrono>
#include <new>
#include <thread>

namespace {

// Room for the longest short message.
constexpr std::size_t EncoderSize = 16;

} // namespace

TAlsaEventWriter::TAlsaEventWriter(std::mutex* handleLock) : HandleLock(handleLock) {
    if (snd_midi_event_new(EncoderSize, &Encoder) < 0) {
        throw std::bad_alloc();
    }
}

TAlsaEventWriter::~TAlsaEventWriter() {
    snd_midi_event_free(Encoder);
}

bool TAlsaEventWriter::Write(snd_seq_t* seq, int port, const std::uint8_t* data,
                             std::size_t count) {
    bool sent = true;
    Splitter.Split(data, count, [&](const TMidiPieces::TPiece& piece) {
        sent = sent && Output(seq, port, piece);
    });
    return sent;
}

bool TAlsaEventWriter::Output(snd_seq_t* seq, int port, const TMidiPieces::TPiece& piece) {
    const auto start = std::chrono::steady_clock::now();
    snd_seq_event_t event;
    snd_seq_ev_clear(&event);
    if (piece.SysEx) {
        snd_seq_ev_set_sysex(&event, piece.Bytes.size(),
                             const_cast<std::uint8_t*>(piece.Bytes.data()));
    } else {
        snd_midi_event_reset_encode(Encoder);
        snd_midi_event_encode(Encoder, piece.Bytes.data(), static_cast<long>(piece.Bytes.size()),
                              &event);
        if (event.type == SND_SEQ_EVENT_NONE) {
            return true;
        }
    }
    snd_seq_ev_set_source(&event, port);
    snd_seq_ev_set_subs(&event);
    snd_seq_ev_set_direct(&event);
    if (OutputDirect(seq, event) < 0) {
        return false;
    }
    // Keep to the pace of a MIDI cable: the interface behind the sequencer
    // drops what arrives faster than it can pass on.
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    std::this_thread::sleep_for(TMidiPieces::PaceDelay(piece.Bytes.size(), elapsed));
    return true;
}

int TAlsaEventWriter::OutputDirect(snd_seq_t* seq, snd_seq_event_t& event) {
    if (HandleLock == nullptr) {
        return snd_seq_event_output_direct(seq, &event);
    }
    std::lock_guard lock(*HandleLock);
    return snd_seq_event_output_direct(seq, &event);
}
