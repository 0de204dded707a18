// A client of the ALSA sequencer under the program's name. Every open device
// has a client of its own, so that each one is used by a single thread and
// closing it ends exactly that device's subscription.
#pragma once

#include <memory>

#include <alsa/asoundlib.h>

class TAlsaClient {
public:
    // Null when there is no sequencer (no MIDI subsystem on this system).
    // A client that receives lets other clients send it a System Exclusive
    // message of the largest block as one event, as programs that do not
    // cut messages into fragments do.
    static std::unique_ptr<TAlsaClient> Open(int streams);
    ~TAlsaClient();
    TAlsaClient(const TAlsaClient&) = delete;
    TAlsaClient& operator=(const TAlsaClient&) = delete;

    snd_seq_t* Handle() const { return Seq; }
    int Id() const { return snd_seq_client_id(Seq); }

    // Creates a port of ours subscribed to a device port: receiving from it
    // when `input`, sending to it otherwise. Returns our port number, or a
    // negative error code when the device cannot be reached.
    int Connect(const snd_seq_addr_t& device, bool input);

private:
    explicit TAlsaClient(snd_seq_t* seq) : Seq(seq) {}
    bool AcceptLargeEvents();

    snd_seq_t* Seq;
};
