// The operating system's MIDI ports on Linux: the ports of the ALSA
// sequencer. Every port that others may subscribe to for reading is an input
// device, every port they may subscribe to for writing an output device.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include <alsa/asoundlib.h>

#include "platform/AlsaClient.h"
#include "platform/MidiProvider.h"

class TAlsaProvider : public TMidiProvider {
public:
    TAlsaProvider();

    std::vector<std::string> InputNames() override;
    std::vector<std::string> OutputNames() override;
    std::unique_ptr<TMidiInputEndpoint> OpenInput(std::size_t index, TMidiByteSink& sink) override;
    std::unique_ptr<TMidiOutputEndpoint> OpenOutput(std::size_t index) override;

private:
    struct TPort {
        snd_seq_addr_t Address;
        std::string Name;
    };

    // The ports with all of these capabilities, as they are now.
    std::vector<TPort> Ports(unsigned capabilities);
    std::vector<std::string> Names(unsigned capabilities);
    bool Find(unsigned capabilities, std::size_t index, snd_seq_addr_t& address);

    // Our client for listing ports; null where there is no sequencer.
    std::unique_ptr<TAlsaClient> Lister;
    // The list may be asked for from any thread; a sequencer handle is not
    // safe to share between threads.
    std::mutex ListMutex;
};
