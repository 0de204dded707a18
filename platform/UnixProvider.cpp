#include "platform/UnixProvider.h"

#include <algorithm>

class TUnixProvider::TInput : public TMidiInputEndpoint {
public:
    TInput(std::shared_ptr<TUnixConnection> connection, TMidiByteSink& sink)
        : Connection(std::move(connection)) {
        Connection->SetSink(&sink);
    }
    ~TInput() override { Connection->SetSink(nullptr); }

private:
    std::shared_ptr<TUnixConnection> Connection;
};

class TUnixProvider::TOutput : public TMidiOutputEndpoint {
public:
    explicit TOutput(std::shared_ptr<TUnixConnection> connection)
        : Connection(std::move(connection)) {}
    bool Send(const std::uint8_t* data, std::size_t count) override {
        return Connection->Send(data, count);
    }

private:
    std::shared_ptr<TUnixConnection> Connection;
};

bool TUnixProvider::Add(const std::string& name) {
    const std::string prefix = Prefix;
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    std::lock_guard lock(Mutex);
    if (std::find(Names.begin(), Names.end(), name) != Names.end()) {
        return false;
    }
    Names.push_back(name);
    return true;
}

std::vector<std::string> TUnixProvider::InputNames() {
    std::lock_guard lock(Mutex);
    return Names;
}

std::vector<std::string> TUnixProvider::OutputNames() {
    return InputNames();
}

std::unique_ptr<TMidiInputEndpoint> TUnixProvider::OpenInput(std::size_t index,
                                                             TMidiByteSink& sink) {
    auto connection = ConnectionFor(index);
    return connection ? std::make_unique<TInput>(std::move(connection), sink) : nullptr;
}

std::unique_ptr<TMidiOutputEndpoint> TUnixProvider::OpenOutput(std::size_t index) {
    auto connection = ConnectionFor(index);
    return connection ? std::make_unique<TOutput>(std::move(connection)) : nullptr;
}

// The input and the output device of one name share a live connection; a
// connection whose peer went away is replaced by a new one on the next open.
std::shared_ptr<TUnixConnection> TUnixProvider::ConnectionFor(std::size_t index) {
    std::lock_guard lock(Mutex);
    if (index >= Names.size()) {
        return nullptr;
    }
    const std::string& name = Names[index];
    auto connection = Connections[name].lock();
    if (!connection || !connection->Alive()) {
        connection = TUnixConnection::Connect(name.substr(std::string(Prefix).size()));
        Connections[name] = connection;
    }
    return connection;
}
