// The operating system's MIDI ports on Windows: the devices of the multimedia
// MIDI API, in winmm's own order, so that a device's index is its winmm
// device number.
#pragma once

#include "platform/MidiProvider.h"

class TWinMmProvider : public TMidiProvider {
public:
    std::vector<std::string> InputNames() override;
    std::vector<std::string> OutputNames() override;
    std::unique_ptr<TMidiInputEndpoint> OpenInput(std::size_t index, TMidiByteSink& sink) override;
    std::unique_ptr<TMidiOutputEndpoint> OpenOutput(std::size_t index) override;
};
