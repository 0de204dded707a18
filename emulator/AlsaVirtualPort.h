// The standalone sampler as an ALSA sequencer port "Virtual EPS", which
// other MIDI software can subscribe to. System Exclusive travels as paced
// fragments of at most 256 bytes and is joined again on the way in.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <alsa/asoundlib.h>

#include "emulator/VirtualSampler.h"
#include "platform/AlsaClient.h"
#include "platform/AlsaSysEx.h"
#include "platform/MidiProvider.h"

class TAlsaVirtualPort : private TMidiByteSink {
public:
    // Null with a reason when the system has no sequencer. The port reads
    // until stopFd becomes readable.
    static std::unique_ptr<TAlsaVirtualPort> Open(TVirtualSampler& sampler, int stopFd,
                                                  std::string& error);
    ~TAlsaVirtualPort() override;

private:
    TAlsaVirtualPort(TVirtualSampler& sampler, std::unique_ptr<TAlsaClient> client, int port,
                     snd_midi_event_t* decoder, snd_midi_event_t* encoder, int stopFd);
    void Read();
    void Convert(const snd_seq_event_t& event, std::vector<std::uint8_t>& bytes);
    void Received(const std::uint8_t* data, std::size_t count) override;
    void Output(const TAlsaSysEx::TPiece& piece);

    TVirtualSampler& Sampler;
    std::unique_ptr<TAlsaClient> Client;
    int Port;
    // One each for the reader thread and the sampler's worker.
    snd_midi_event_t* Decoder;
    snd_midi_event_t* Encoder;
    int StopFd;
    TAlsaSysEx InBytes;
    TAlsaSysEx OutBytes;
    std::thread Reader;
};
