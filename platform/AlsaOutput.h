// An output device on the ALSA sequencer.
#pragma once

#include <memory>

#include <alsa/asoundlib.h>

#include "platform/AlsaClient.h"
#include "platform/AlsaEventWriter.h"
#include "platform/MidiProvider.h"

class TAlsaOutput : public TMidiOutputEndpoint {
public:
    // Null when the device port cannot be reached.
    static std::unique_ptr<TAlsaOutput> Open(const snd_seq_addr_t& device);

    bool Send(const std::uint8_t* data, std::size_t count) override;

private:
    TAlsaOutput(std::unique_ptr<TAlsaClient> client, int port);

    std::unique_ptr<TAlsaClient> Client;
    int Port;
    TAlsaEventWriter Events;
};
