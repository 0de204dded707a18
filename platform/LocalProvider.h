// The in-process devices: peers such as the built-in virtual sampler, each
// offering one input and one output device under its name.
#pragma once

#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/MidiProvider.h"

class TLocalProvider : public TMidiProvider {
public:
    bool Register(std::shared_ptr<TMidiLocalPeer> peer);
    void Unregister(const std::string& name);

    std::vector<std::string> InputNames() override;
    std::vector<std::string> OutputNames() override;
    std::unique_ptr<TMidiInputEndpoint> OpenInput(std::size_t index, TMidiByteSink& sink) override;
    std::unique_ptr<TMidiOutputEndpoint> OpenOutput(std::size_t index) override;

private:
    class TInput;
    class TOutput;

    std::shared_ptr<TMidiLocalPeer> PeerAt(std::size_t index);
    void InputClosed(const TMidiLocalPeer* peer);

    std::mutex Mutex;
    std::vector<std::shared_ptr<TMidiLocalPeer>> Peers;
    std::set<const TMidiLocalPeer*> ConnectedInputs;
};
