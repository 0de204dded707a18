#include "platform/AlsaOutput.h"

#include <thread>

namespace {

// Room for the longest short message.
constexpr std::size_t EncoderSize = 16;

} // namespace

std::unique_ptr<TAlsaOutput> TAlsaOutput::Open(const snd_seq_addr_t& device) {
    auto client = TAlsaClient::Open(SND_SEQ_OPEN_OUTPUT);
    if (!client) {
        return nullptr;
    }
    const int port = client->Connect(device, false);
    snd_midi_event_t* encoder = nullptr;
    if (port < 0 || snd_midi_event_new(EncoderSize, &encoder) < 0) {
        return nullptr;
    }
    return std::unique_ptr<TAlsaOutput>(new TAlsaOutput(std::move(client), port, encoder));
}

TAlsaOutput::TAlsaOutput(std::unique_ptr<TAlsaClient> client, int port, snd_midi_event_t* encoder)
    : Client(std::move(client)), Port(port), Encoder(encoder) {}

TAlsaOutput::~TAlsaOutput() {
    snd_midi_event_free(Encoder);
}

void TAlsaOutput::Send(const std::uint8_t* data, std::size_t count) {
    Splitter.Split(data, count, [this](const TAlsaSysEx::TPiece& piece) { Output(piece); });
}

void TAlsaOutput::Output(const TAlsaSysEx::TPiece& piece) {
    const auto start = std::chrono::steady_clock::now();
    snd_seq_event_t event;
    snd_seq_ev_clear(&event);
    if (piece.SysEx) {
        snd_seq_ev_set_sysex(&event, piece.Bytes.size(),
                             const_cast<std::uint8_t*>(piece.Bytes.data()));
    } else {
        snd_midi_event_reset_encode(Encoder);
        snd_midi_event_encode(Encoder, piece.Bytes.data(), piece.Bytes.size(), &event);
        if (event.type == SND_SEQ_EVENT_NONE) {
            return;
        }
    }
    snd_seq_ev_set_source(&event, Port);
    snd_seq_ev_set_subs(&event);
    snd_seq_ev_set_direct(&event);
    snd_seq_event_output(Client->Handle(), &event);
    snd_seq_drain_output(Client->Handle());
    // Keep to the pace of a MIDI cable: the interface behind the sequencer
    // drops what arrives faster than it can pass on.
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    std::this_thread::sleep_for(TAlsaSysEx::PaceDelay(piece.Bytes.size(), elapsed));
}
