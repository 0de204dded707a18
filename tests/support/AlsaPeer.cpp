#include "tests/support/AlsaPeer.h"

#include <algorithm>
#include <chrono>
#include <poll.h>

namespace {

// Room for the longest short message, and for a large event read whole.
constexpr std::size_t CodecSize = 16;
constexpr std::size_t InputBufferSize = 65536;

} // namespace

TAlsaPeer::TAlsaPeer(const std::string& name) {
    if (snd_seq_open(&Seq, "default", SND_SEQ_OPEN_DUPLEX, 0) < 0) {
        Seq = nullptr;
        return;
    }
    snd_seq_set_client_name(Seq, name.c_str());
    snd_seq_set_input_buffer_size(Seq, InputBufferSize);
    Port =
        snd_seq_create_simple_port(Seq, name.c_str(),
                                   SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ |
                                       SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE,
                                   SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
}

TAlsaPeer::~TAlsaPeer() {
    if (Seq != nullptr) {
        snd_seq_close(Seq);
    }
}

bool TAlsaPeer::ConnectWith(const std::string& client) {
    snd_seq_addr_t address;
    return snd_seq_parse_address(Seq, &address, client.c_str()) >= 0 &&
           snd_seq_connect_from(Seq, Port, address.client, address.port) >= 0 &&
           snd_seq_connect_to(Seq, Port, address.client, address.port) >= 0;
}

int TAlsaPeer::SendEvent(const std::vector<std::uint8_t>& bytes, bool sysEx) {
    snd_seq_event_t event;
    snd_seq_ev_clear(&event);
    if (sysEx) {
        snd_seq_ev_set_sysex(&event, bytes.size(), const_cast<std::uint8_t*>(bytes.data()));
    } else {
        snd_midi_event_t* encoder = nullptr;
        snd_midi_event_new(CodecSize, &encoder);
        snd_midi_event_encode(encoder, bytes.data(), static_cast<long>(bytes.size()), &event);
        snd_midi_event_free(encoder);
    }
    snd_seq_ev_set_source(&event, Port);
    snd_seq_ev_set_subs(&event);
    snd_seq_ev_set_direct(&event);
    return snd_seq_event_output_direct(Seq, &event);
}

std::vector<std::uint8_t> TAlsaPeer::Receive(std::size_t count, std::size_t& largest) {
    std::vector<std::uint8_t> bytes;
    snd_midi_event_t* decoder = nullptr;
    snd_midi_event_new(CodecSize, &decoder);
    snd_midi_event_no_status(decoder, 1);
    std::vector<pollfd> fds(snd_seq_poll_descriptors_count(Seq, POLLIN));
    snd_seq_poll_descriptors(Seq, fds.data(), fds.size(), POLLIN);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    largest = 0;
    while (bytes.size() < count && std::chrono::steady_clock::now() < end) {
        snd_seq_event_t* event = nullptr;
        if (snd_seq_event_input_pending(Seq, 1) <= 0) {
            poll(fds.data(), fds.size(), 100);
        } else if (snd_seq_event_input(Seq, &event) < 0) {
            continue;
        } else if (event->type == SND_SEQ_EVENT_SYSEX) {
            const auto* data = static_cast<const std::uint8_t*>(event->data.ext.ptr);
            bytes.insert(bytes.end(), data, data + event->data.ext.len);
            largest = std::max<std::size_t>(largest, event->data.ext.len);
        } else {
            std::uint8_t decoded[CodecSize];
            const long got = snd_midi_event_decode(decoder, decoded, sizeof decoded, event);
            bytes.insert(bytes.end(), decoded, decoded + std::max(got, 0L));
        }
    }
    snd_midi_event_free(decoder);
    return bytes;
}
