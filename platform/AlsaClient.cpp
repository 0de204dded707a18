#include "platform/AlsaClient.h"

namespace {
void Quiet(const char*, int, const char*, int, const char*, ...) {}
} // namespace

std::unique_ptr<TAlsaClient> TAlsaClient::Open(int streams) {
    snd_seq_t* seq = nullptr;
    // A machine without a sequencer simply has no OS ports; alsa-lib would
    // print its complaint to the terminal of every run.
    snd_lib_error_set_handler(&Quiet);
    const int opened = snd_seq_open(&seq, "default", streams, 0);
    snd_lib_error_set_handler(nullptr);
    if (opened < 0) {
        return nullptr;
    }
    snd_seq_set_client_name(seq, "Tavimor");
    return std::unique_ptr<TAlsaClient>(new TAlsaClient(seq));
}

TAlsaClient::~TAlsaClient() {
    snd_seq_close(Seq);
}

int TAlsaClient::Connect(const snd_seq_addr_t& device, bool input) {
    // Our ports are not subscribable by others, so they never show up in a
    // device list, ours or another program's; subscribing them ourselves
    // needs no such capability.
    const int port =
        snd_seq_create_simple_port(Seq, input ? "Tavimor in" : "Tavimor out",
                                   input ? SND_SEQ_PORT_CAP_WRITE : SND_SEQ_PORT_CAP_READ,
                                   SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    if (port < 0) {
        return port;
    }
    const int result = input ? snd_seq_connect_from(Seq, port, device.client, device.port)
                             : snd_seq_connect_to(Seq, port, device.client, device.port);
    return result < 0 ? result : port;
}
