#include "platform/SocketConnection.h"

#include <string>

#include "platform/SocketAddress.h"

std::shared_ptr<TSocketConnection> TSocketConnection::Connect(const TSocketAddress& address) {
    std::string error;
    TSocket socket = TSocket::Connect(address, error);
    if (!socket.IsOpen()) {
        return nullptr;
    }
    std::shared_ptr<TSocketConnection> connection(new TSocketConnection(std::move(socket)));
    return connection->Stop.IsReady() ? connection : nullptr;
}

TSocketConnection::TSocketConnection(TSocket socket) : Socket(std::move(socket)) {
    if (Stop.IsReady()) {
        Reader = std::thread([this] { Read(); });
    }
}

TSocketConnection::~TSocketConnection() {
    if (Reader.joinable()) {
        Stop.Raise();
        Reader.join();
    }
}

void TSocketConnection::SetSink(TMidiByteSink* sink) {
    std::lock_guard lock(SinkMutex);
    Sink = sink;
}

bool TSocketConnection::Send(const std::uint8_t* data, std::size_t count) {
    while (count > 0 && !Dead) {
        const std::ptrdiff_t sent = TSocket::Send(Socket.Get(), data, count);
        if (sent < 0) {
            Dead = true;
            return false;
        }
        data += sent;
        count -= static_cast<std::size_t>(sent);
    }
    return count == 0;
}

void TSocketConnection::Read() {
    std::uint8_t buffer[4096];
    while (TSocket::WaitReadable(Socket.Get(), Stop.Handle())) {
        const std::ptrdiff_t got = TSocket::Receive(Socket.Get(), buffer, sizeof(buffer));
        if (got <= 0) {
            break;
        }
        std::lock_guard lock(SinkMutex);
        if (Sink != nullptr) {
            Sink->Received(buffer, static_cast<std::size_t>(got));
        }
    }
    // Stopped, or the peer closed or failed: stay silent until we are
    // destroyed.
    Dead = true;
}
