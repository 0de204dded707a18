#include "platform/AlsaInput.h"

#include <poll.h>

namespace {

// How long the reader waits for events before it looks whether to stop.
constexpr int PollMilliseconds = 50;
// Room for the longest short message sequence one event decodes to (an RPN).
constexpr std::size_t DecodedSize = 16;
// Room for the largest event another client can send us (the sequencer takes
// none above about 16 KB); the library's default holds less.
constexpr std::size_t InputBufferSize = 32768;

} // namespace

std::unique_ptr<TAlsaInput> TAlsaInput::Open(const snd_seq_addr_t& device, TMidiByteSink& sink) {
    auto client = TAlsaClient::Open(SND_SEQ_OPEN_INPUT);
    if (!client) {
        return nullptr;
    }
    snd_midi_event_t* decoder = nullptr;
    if (client->Connect(device, true) < 0 || snd_seq_nonblock(client->Handle(), 1) < 0 ||
        snd_seq_set_input_buffer_size(client->Handle(), InputBufferSize) < 0 ||
        snd_midi_event_new(DecodedSize, &decoder) < 0) {
        return nullptr;
    }
    // Every message with its status byte: the sink's reader cannot know the
    // status a running-status encoder left out.
    snd_midi_event_no_status(decoder, 1);
    return std::unique_ptr<TAlsaInput>(new TAlsaInput(std::move(client), decoder, sink));
}

TAlsaInput::TAlsaInput(std::unique_ptr<TAlsaClient> client, snd_midi_event_t* decoder,
                       TMidiByteSink& sink)
    : Client(std::move(client)), Decoder(decoder), Sink(sink), Reader([this] { Run(); }) {}

TAlsaInput::~TAlsaInput() {
    Stopping = true;
    Reader.join();
    snd_midi_event_free(Decoder);
}

void TAlsaInput::Run() {
    snd_seq_t* seq = Client->Handle();
    std::vector<pollfd> fds(snd_seq_poll_descriptors_count(seq, POLLIN));
    snd_seq_poll_descriptors(seq, fds.data(), fds.size(), POLLIN);
    while (!Stopping) {
        if (poll(fds.data(), fds.size(), PollMilliseconds) <= 0) {
            continue;
        }
        for (const pollfd& fd : fds) {
            if (fd.revents & (POLLERR | POLLHUP | POLLNVAL)) {
                return; // the sequencer is gone: nothing more will come
            }
        }
        ReadEvents();
    }
}

void TAlsaInput::ReadEvents() {
    snd_seq_event_t* event = nullptr;
    int result;
    // -ENOSPC: the sequencer dropped events because we fell behind; what
    // follows is still worth reading.
    while (!Stopping &&
           ((result = snd_seq_event_input(Client->Handle(), &event)) >= 0 || result == -ENOSPC)) {
        if (result < 0) {
            continue;
        }
        // Each event is delivered at once: the sink's reader may be waiting
        // for it, and a busy sender must not pile up bytes here.
        Bytes.clear();
        Convert(*event);
        if (!Bytes.empty()) {
            Sink.Received(Bytes.data(), Bytes.size());
        }
    }
}

void TAlsaInput::Convert(const snd_seq_event_t& event) {
    if (event.type == SND_SEQ_EVENT_SYSEX) {
        Joiner.Join(static_cast<const std::uint8_t*>(event.data.ext.ptr), event.data.ext.len, true,
                    Bytes);
        return;
    }
    std::uint8_t decoded[DecodedSize];
    // Events that are no MIDI message (subscription notices and the like)
    // decode to nothing.
    const long count = snd_midi_event_decode(Decoder, decoded, sizeof decoded, &event);
    if (count > 0) {
        Joiner.Join(decoded, count, false, Bytes);
    }
}
