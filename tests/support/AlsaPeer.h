// Another program on the ALSA sequencer, for tests against a real one: a
// client with one port that others may read from and write to, named like
// the client, sending and receiving events the way such programs do.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <alsa/asoundlib.h>

class TAlsaPeer {
public:
    // Exists() tells whether there is a sequencer to be a client of.
    explicit TAlsaPeer(const std::string& name);
    ~TAlsaPeer();
    TAlsaPeer(const TAlsaPeer&) = delete;
    TAlsaPeer& operator=(const TAlsaPeer&) = delete;

    bool Exists() const { return Seq != nullptr && Port >= 0; }
    snd_seq_t* Handle() const { return Seq; }
    int PortNumber() const { return Port; }

    // Subscribes our port to the first port of the named client, both ways.
    bool ConnectWith(const std::string& client);

    // One event to the subscribers, as a program that does not cut System
    // Exclusive into fragments sends it; the sequencer's result.
    int SendEvent(const std::vector<std::uint8_t>& bytes, bool sysEx);

    // The raw bytes of the events received until count bytes are in or 20 s
    // have passed, and the size of the largest System Exclusive event.
    std::vector<std::uint8_t> Receive(std::size_t count, std::size_t& largest);

private:
    snd_seq_t* Seq = nullptr;
    int Port = -1;
};
