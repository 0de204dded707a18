#include "platform/AlsaClient.h"

namespace {

void Quiet(const char*, int, const char*, int, const char*, ...) {}

// The kernel holds an event for us in cells of 28 bytes from our input pool,
// which it keeps at 200 cells (5.6 KB) unless told otherwise; an event that
// needs more is refused to its sender. 2000 is the most it allows, room for
// a block of 10240 words (30,725 bytes) with some to spare.
constexpr int InputPoolCells = 2000;
// The library's buffer that events are read into must hold such an event too.
constexpr std::size_t InputBufferSize = 65536;

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
    auto client = std::unique_ptr<TAlsaClient>(new TAlsaClient(seq));
    // Before any port exists: resizing the pool empties our queue.
    if ((streams & SND_SEQ_OPEN_INPUT) != 0 && !client->AcceptLargeEvents()) {
        return nullptr;
    }
    return client;
}

TAlsaClient::~TAlsaClient() {
    snd_seq_close(Seq);
}

// False when the sequencer does not allow it.
bool TAlsaClient::AcceptLargeEvents() {
    return snd_seq_set_client_pool_input(Seq, InputPoolCells) >= 0 &&
           snd_seq_set_input_buffer_size(Seq, InputBufferSize) >= 0;
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
