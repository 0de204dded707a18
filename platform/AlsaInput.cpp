#include "platform/AlsaInput.h"

#include <poll.h>

namespace {

// How long the reader waits for events before it looks whether to stop.
constexpr int PollMilliseconds = 50;

} // namespace

std::unique_ptr<TAlsaInput> TAlsaInput::Open(const snd_seq_addr_t& device, TMidiByteSink& sink) {
    auto client = TAlsaClient::Open(SND_SEQ_OPEN_INPUT);
    if (!client) {
        return nullptr;
    }
    if (client->Connect(device, true) < 0 || snd_seq_nonblock(client->Handle(), 1) < 0) {
        return nullptr;
    }
    return std::unique_ptr<TAlsaInput>(new TAlsaInput(std::move(client), sink));
}

TAlsaInput::TAlsaInput(std::unique_ptr<TAlsaClient> client, TMidiByteSink& sink)
    : Client(std::move(client)), Sink(sink), Reader([this] { Run(); }) {}

TAlsaInput::~TAlsaInput() {
    Stopping = true;
    Reader.join();
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
            Events.Overrun();
            continue;
        }
        // Each event is delivered at once: the sink's reader may be waiting
        // for it, and a busy sender must not pile up bytes here.
        Bytes.clear();
        Events.Read(*event, Bytes);
        if (!Bytes.empty()) {
            Sink.Received(Bytes.data(), Bytes.size());
        }
    }
}
