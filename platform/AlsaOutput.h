// An output device on the ALSA sequencer. Short messages go out as the
// sequencer's own events, System Exclusive as fragment events paced at MIDI
// wire speed, so that neither the sequencer nor the interface drops any.
#pragma once

#include <memory>

#include <alsa/asoundlib.h>

#include "platform/AlsaClient.h"
#include "platform/AlsaSysEx.h"
#include "platform/MidiProvider.h"

class TAlsaOutput : public TMidiOutputEndpoint {
public:
    // Null when the device port cannot be reached.
    static std::unique_ptr<TAlsaOutput> Open(const snd_seq_addr_t& device);
    ~TAlsaOutput() override;

    void Send(const std::uint8_t* data, std::size_t count) override;

private:
    TAlsaOutput(std::unique_ptr<TAlsaClient> client, int port, snd_midi_event_t* encoder);
    void Output(const TAlsaSysEx::TPiece& piece);

    std::unique_ptr<TAlsaClient> Client;
    int Port;
    snd_midi_event_t* Encoder;
    TAlsaSysEx Splitter;
};
