#include "platform/LocalProvider.h"

#include <algorithm>

// A peer talks to one input device at a time, as a MIDI cable does.
class TLocalProvider::TInput : public TMidiInputEndpoint {
public:
    TInput(TLocalProvider& owner, std::shared_ptr<TMidiLocalPeer> peer, TMidiByteSink& sink)
        : Owner(owner), Peer(std::move(peer)) {
        Peer->Connect(&sink);
    }
    ~TInput() override {
        Peer->Connect(nullptr);
        Owner.InputClosed(Peer.get());
    }

private:
    TLocalProvider& Owner;
    std::shared_ptr<TMidiLocalPeer> Peer;
};

class TLocalProvider::TOutput : public TMidiOutputEndpoint {
public:
    explicit TOutput(std::shared_ptr<TMidiLocalPeer> peer) : Peer(std::move(peer)) {}
    bool Send(const std::uint8_t* data, std::size_t count) override {
        Peer->FromProgram(data, count);
        return true;
    }

private:
    std::shared_ptr<TMidiLocalPeer> Peer;
};

bool TLocalProvider::Register(std::shared_ptr<TMidiLocalPeer> peer) {
    std::lock_guard lock(Mutex);
    const std::string name = peer->Name();
    const bool known =
        std::any_of(Peers.begin(), Peers.end(), [&](const auto& p) { return p->Name() == name; });
    if (known) {
        return false;
    }
    Peers.push_back(std::move(peer));
    return true;
}

// Devices already open keep their peer until they are closed.
void TLocalProvider::Unregister(const std::string& name) {
    std::lock_guard lock(Mutex);
    std::erase_if(Peers, [&](const auto& p) { return p->Name() == name; });
}

std::vector<std::string> TLocalProvider::InputNames() {
    std::lock_guard lock(Mutex);
    std::vector<std::string> names;
    for (const auto& peer : Peers) {
        names.push_back(peer->Name());
    }
    return names;
}

std::vector<std::string> TLocalProvider::OutputNames() {
    return InputNames();
}

std::unique_ptr<TMidiInputEndpoint> TLocalProvider::OpenInput(std::size_t index,
                                                              TMidiByteSink& sink) {
    auto peer = PeerAt(index);
    if (!peer) {
        return nullptr;
    }
    {
        std::lock_guard lock(Mutex);
        if (!ConnectedInputs.insert(peer.get()).second) {
            return nullptr;
        }
    }
    return std::make_unique<TInput>(*this, std::move(peer), sink);
}

std::unique_ptr<TMidiOutputEndpoint> TLocalProvider::OpenOutput(std::size_t index) {
    auto peer = PeerAt(index);
    if (!peer) {
        return nullptr;
    }
    return std::make_unique<TOutput>(std::move(peer));
}

std::shared_ptr<TMidiLocalPeer> TLocalProvider::PeerAt(std::size_t index) {
    std::lock_guard lock(Mutex);
    return index < Peers.size() ? Peers[index] : nullptr;
}

void TLocalProvider::InputClosed(const TMidiLocalPeer* peer) {
    std::lock_guard lock(Mutex);
    ConnectedInputs.erase(peer);
}
