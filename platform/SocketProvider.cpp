#include "platform/SocketProvider.h"

#include <algorithm>

class TSocketProvider::TInput : public TMidiInputEndpoint {
public:
    TInput(std::shared_ptr<TSocketConnection> connection, TMidiByteSink& sink)
        : Connection(std::move(connection)) {
        Connection->SetSink(&sink);
    }
    ~TInput() override { Connection->SetSink(nullptr); }

private:
    std::shared_ptr<TSocketConnection> Connection;
};

class TSocketProvider::TOutput : public TMidiOutputEndpoint {
public:
    explicit TOutput(std::shared_ptr<TSocketConnection> connection)
        : Connection(std::move(connection)) {}
    bool Send(const std::uint8_t* data, std::size_t count) override {
        return Connection->Send(data, count);
    }

private:
    std::shared_ptr<TSocketConnection> Connection;
};

bool TSocketProvider::Add(const std::string& name) {
    std::string error;
    const std::optional<TSocketAddress> address = TSocketAddress::Parse(name, error);
    if (!address) {
        return false;
    }
    std::lock_guard lock(Mutex);
    if (std::find(Names.begin(), Names.end(), name) != Names.end()) {
        return false;
    }
    Names.push_back(name);
    Addresses.push_back(*address);
    return true;
}

std::vector<std::string> TSocketProvider::InputNames() {
    std::lock_guard lock(Mutex);
    return Names;
}

std::vector<std::string> TSocketProvider::OutputNames() {
    return InputNames();
}

std::unique_ptr<TMidiInputEndpoint> TSocketProvider::OpenInput(std::size_t index,
                                                               TMidiByteSink& sink) {
    auto connection = ConnectionFor(index);
    return connection ? std::make_unique<TInput>(std::move(connection), sink) : nullptr;
}

std::unique_ptr<TMidiOutputEndpoint> TSocketProvider::OpenOutput(std::size_t index) {
    auto connection = ConnectionFor(index);
    return connection ? std::make_unique<TOutput>(std::move(connection)) : nullptr;
}

// The input and the output device of one name share a live connection; a
// connection whose peer went away is replaced by a new one on the next open.
std::shared_ptr<TSocketConnection> TSocketProvider::ConnectionFor(std::size_t index) {
    std::lock_guard lock(Mutex);
    if (index >= Names.size()) {
        return nullptr;
    }
    const std::string& name = Names[index];
    auto connection = Connections[name].lock();
    if (!connection || !connection->Alive()) {
        connection = TSocketConnection::Connect(Addresses[index]);
        Connections[name] = connection;
    }
    return connection;
}
