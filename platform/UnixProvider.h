// Byte-stream devices named "unix:PATH": each offers an input and an output
// device that share one connection to the socket at PATH.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/MidiProvider.h"
#include "platform/UnixConnection.h"

class TUnixProvider : public TMidiProvider {
public:
    static constexpr const char* Prefix = "unix:";

    bool Add(const std::string& name);

    std::vector<std::string> InputNames() override;
    std::vector<std::string> OutputNames() override;
    std::unique_ptr<TMidiInputEndpoint> OpenInput(std::size_t index, TMidiByteSink& sink) override;
    std::unique_ptr<TMidiOutputEndpoint> OpenOutput(std::size_t index) override;

private:
    class TInput;
    class TOutput;

    std::shared_ptr<TUnixConnection> ConnectionFor(std::size_t index);

    std::mutex Mutex;
    std::vector<std::string> Names;
    std::map<std::string, std::weak_ptr<TUnixConnection>> Connections;
};
