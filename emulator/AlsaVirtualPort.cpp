#include "emulator/AlsaVirtualPort.h"

#include <cerrno>
#include <iostream>
#include <poll.h>

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
    if (port < 0 || snd_seq_nonblock(client->Handle(), 1) < 0) {
        error = "cannot create the sequencer port";
        return nullptr;
    }
    return std::unique_ptr<TAlsaVirtualPort>(
        new TAlsaVirtualPort(sampler, std::move(client), port, stopFd));
}

TAlsaVirtualPort::TAlsaVirtualPort(TVirtualSampler& sampler, std::unique_ptr<TAlsaClient> client,
                                   int port, int stopFd)
    : Sampler(sampler), Client(std::move(client)), Port(port), StopFd(stopFd) {
    Sampler.Attach(*this);
    Reader = std::thread([this] { Read(); });
}

TAlsaVirtualPort::~TAlsaVirtualPort() {
    Reader.join();
    Sampler.Detach(*this);
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
        ReadEvents(bytes);
    }
}

// The handle is taken only while events are read, not while they are fed to
// the sampler, which may be sending a reply.
void TAlsaVirtualPort::ReadEvents(std::vector<std::uint8_t>& bytes) {
    for (;;) {
        bytes.clear();
        {
            std::lock_guard lock(HandleLock);
            snd_seq_event_t* event = nullptr;
            const int result = snd_seq_event_input(Client->Handle(), &event);
            // -ENOSPC: events were lost while we were behind; the rest still counts.
            if (result == -ENOSPC) {
                InEvents.Overrun();
                continue;
            }
            if (result < 0) {
                return;
            }
            InEvents.Read(*event, bytes);
        }
        Sampler.Feed(bytes.data(), bytes.size());
    }
}

// A sampler sends whether or not anyone listens; but a reply the sequencer
// refused explains an editor that waits in vain.
void TAlsaVirtualPort::Received(const std::uint8_t* data, std::size_t count) {
    if (!OutEvents.Write(Client->Handle(), Port, data, count)) {
        std::cerr << "tavimor-virtual-eps: the sequencer refused a reply: a subscriber's queue "
                     "is full or too small"
                  << std::endl;
    }
}
