// Byte-stream devices named "unix:PATH" or "tcp:127.0.0.1:PORT": each offers
// an input and an output device that share one connection to the socket at
// that address.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/MidiProvider.h"
#include "platform/SocketAddress.h"
#include "platform/SocketConnection.h"

class TSocketProvider : public TMidiProvider {
public:
    // False for a name that is no address we may use, or one listed already.
    bool Add(const std::string& name);

    std::vector<std::string> InputNames() override;
    std::vector<std::string> OutputNames() override;
    std::unique_ptr<TMidiInputEndpoint> OpenInput(std::size_t index, TMidiByteSink& sink) override;
    std::unique_ptr<TMidiOutputEndpoint> OpenOutput(std::size_t index) override;

private:
    class TInput;
    class TOutput;

    std::shared_ptr<TSocketConnection> ConnectionFor(std::size_t index);

    std::mutex Mutex;
    std::vector<std::string> Names;
    std::vector<TSocketAddress> Addresses;
    std::map<std::string, std::weak_ptr<TSocketConnection>> Connections;
};
