// An input device on the ALSA sequencer: a thread of its own receives the
// device's events and hands them to the sink as raw MIDI bytes, System
// Exclusive fragments joined into whole messages.
#pragma once

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include <alsa/asoundlib.h>

#include "platform/AlsaClient.h"
#include "platform/AlsaEventReader.h"
#include "platform/MidiProvider.h"

class TAlsaInput : public TMidiInputEndpoint {
public:
    // Null when the device port cannot be reached.
    static std::unique_ptr<TAlsaInput> Open(const snd_seq_addr_t& device, TMidiByteSink& sink);
    ~TAlsaInput() override;

private:
    TAlsaInput(std::unique_ptr<TAlsaClient> client, TMidiByteSink& sink);
    void Run();
    void ReadEvents();

    std::unique_ptr<TAlsaClient> Client;
    TMidiByteSink& Sink;
    TAlsaEventReader Events;
    std::vector<std::uint8_t> Bytes;
    std::atomic<bool> Stopping{false};
    std::thread Reader;
};
