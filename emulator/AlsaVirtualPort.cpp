#include "emulator/AlsaVirtualPort.h"

#include <cerrno>
#include <chrono>
#include <poll.h>

namespace {

// Room for the longest short message sequence one event codes to.
constexpr std::size_t CodecSize = 16;

} // namespace

std::unique_ptr<TAlsaVirtualPort> TAlsaVirtualPort::Open(TVirtualSampler& sampler, int stopFd,
                                                         std::string& error) {
    auto client = TAlsaClient::Open(SND_SEQ_OPEN_DUPLEX);
    if (!client) {
        error = "this system has no MIDI subsystem (no ALSA sequencer)";
        return nullptr;
    }
    snd_seq_set_client_name(client->Handle(), "Virtual EPS");
    const int port =
        snd_seq_create_simple_port(client->Handle(), "Virtual EPS",
                                   SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ |
                                       SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE,
                                   SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    snd_midi_event_t* decoder = nullptr;
    snd_midi_event_t* encoder = nullptr;
    if (port < 0 || snd_seq_nonblock(client->Handle(), 1) < 0 ||
        snd_midi_event_new(CodecSize, &decoder) < 0) {
        error = "cannot create the sequencer port";
        return nullptr;
    }
    if (snd_midi_event_new(CodecSize, &encoder) < 0) {
        snd_midi_event_free(decoder);
        error = "cannot create the sequencer port";
        return nullptr;
    }
    // Every message with its status byte, so the sampler need not know the
    // running status of another client.
    snd_midi_event_no_status(decoder, 1);
    return std::unique_ptr<TAlsaVirtualPort>(
        new TAlsaVirtualPort(sampler, std::move(client), port, decoder, encoder, stopFd));
}

TAlsaVirtualPort::TAlsaVirtualPort(TVirtualSampler& sampler, std::unique_ptr<TAlsaClient> client,
                                   int port, snd_midi_event_t* decoder, snd_midi_event_t* encoder,
                                   int stopFd)
    : Sampler(sampler), Client(std::move(client)), Port(port), Decoder(decoder), Encoder(encoder),
      StopFd(stopFd) {
    Sampler.Attach(*this);
    Reader = std::thread([this] { Read(); });
}

TAlsaVirtualPort::~TAlsaVirtualPort() {
    Reader.join();
    Sampler.Detach(*this);
    snd_midi_event_free(Decoder);
    snd_midi_event_free(Encoder);
}

void TAlsaVirtualPort::Read() {
    snd_seq_t* seq = Client->Handle();
    std::vector<pollfd> fds(snd_seq_poll_descriptors_count(seq, POLLIN) + 1);
    snd_seq_poll_descriptors(seq, fds.data(), fds.size() - 1, POLLIN);
    fds.back() = {StopFd, POLLIN, 0};
    std::vector<std::uint8_t> bytes;
    for (;;) {
        if (poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) {
            return;
        }
        if (fds.back().revents != 0) {
            return;
        }
        snd_seq_event_t* event = nullptr;
        int result;
        // -ENOSPC: events were lost while we were behind; the rest still counts.
        while ((result = snd_seq_event_input(seq, &event)) >= 0 || result == -ENOSPC) {
            if (result >= 0) {
                bytes.clear();
                Convert(*event, bytes);
                Sampler.Feed(bytes.data(), bytes.size());
            }
        }
    }
}

void TAlsaVirtualPort::Convert(const snd_seq_event_t& event, std::vector<std::uint8_t>& bytes) {
    if (event.type == SND_SEQ_EVENT_SYSEX) {
        InBytes.Join(static_cast<const std::uint8_t*>(event.data.ext.ptr), event.data.ext.len, true,
                     bytes);
        return;
    }
    std::uint8_t decoded[CodecSize];
    const long count = snd_midi_event_decode(Decoder, decoded, sizeof decoded, &event);
    if (count > 0) {
        InBytes.Join(decoded, static_cast<std::size_t>(count), false, bytes);
    }
}

void TAlsaVirtualPort::Received(const std::uint8_t* data, std::size_t count) {
    OutBytes.Split(data, count, [this](const TAlsaSysEx::TPiece& piece) { Output(piece); });
}

// Sent to every subscriber, no faster than a MIDI cable: a hardware port
// behind the subscriber would drop what comes faster.
void TAlsaVirtualPort::Output(const TAlsaSysEx::TPiece& piece) {
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
            return;
        }
    }
    snd_seq_ev_set_source(&event, Port);
    snd_seq_ev_set_subs(&event);
    snd_seq_ev_set_direct(&event);
    snd_seq_event_output_direct(Client->Handle(), &event);
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    std::this_thread::sleep_for(TAlsaSysEx::PaceDelay(piece.Bytes.size(), elapsed));
}
