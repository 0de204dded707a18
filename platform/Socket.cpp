#include "platform/Socket.h"

#include <algorithm>
#include <utility>

#include "platform/SocketAddress.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32

// Once per process, before the first socket; never undone, like the
// devices that may use sockets until the process ends.
bool StartSockets() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

TSocket::THandle NewSocket(int family) {
    if (!StartSockets()) {
        return TSocket::None;
    }
    const SOCKET handle = socket(family, SOCK_STREAM, 0);
    // Not handed down to the programs we start.
    if (handle != INVALID_SOCKET) {
        SetHandleInformation(reinterpret_cast<HANDLE>(handle), HANDLE_FLAG_INHERIT, 0);
    }
    return handle;
}

TSocket::THandle AcceptFrom(TSocket::THandle listener) {
    return accept(listener, nullptr, nullptr);
}

bool Interrupted() {
    return WSAGetLastError() == WSAEINTR;
}

void CloseHandleOf(TSocket::THandle handle) {
    closesocket(handle);
}

#else

TSocket::THandle NewSocket(int family) {
    return socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
}

TSocket::THandle AcceptFrom(TSocket::THandle listener) {
    return accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}

bool Interrupted() {
    return errno == EINTR;
}

void CloseHandleOf(TSocket::THandle handle) {
    close(handle);
}

#endif

// MIDI moves small messages that each wait for an answer: send them at once.
void SendAtOnce(TSocket::THandle handle) {
    int on = 1;
    setsockopt(handle, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
}

} // namespace

TSocket::TSocket(TSocket&& other) noexcept : Handle(std::exchange(other.Handle, None)) {}

TSocket& TSocket::operator=(TSocket&& other) noexcept {
    if (this != &other) {
        Close();
        Handle = std::exchange(other.Handle, None);
    }
    return *this;
}

TSocket TSocket::Open(int family, std::string& error) {
    TSocket result(NewSocket(family));
    if (!result.IsOpen()) {
        error = "cannot make a socket: " + LastError();
    }
    return result;
}

TSocket TSocket::Connect(const TSocketAddress& address, std::string& error) {
    TSocket result = Open(address.Family(), error);
    if (!result.IsOpen()) {
        return result;
    }
    if (connect(result.Handle, static_cast<const sockaddr*>(address.Data()), address.Size()) != 0) {
        error = "cannot connect to " + address.Text() + ": " + LastError();
        return TSocket();
    }
    if (!address.IsUnix()) {
        SendAtOnce(result.Handle);
    }
    return result;
}

TSocket TSocket::Listen(const TSocketAddress& address, std::string& error) {
    TSocket result = Open(address.Family(), error);
    if (!result.IsOpen()) {
        return result;
    }
#ifndef _WIN32
    // A server started again at once may take its port back from the
    // connections of the last one that the system still remembers. (On
    // Windows the same option would let another program share the port.)
    if (!address.IsUnix()) {
        int on = 1;
        setsockopt(result.Handle, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    }
#endif
    if (bind(result.Handle, static_cast<const sockaddr*>(address.Data()), address.Size()) != 0 ||
        listen(result.Handle, 4) != 0) {
        error = "cannot listen at " + address.Text() + ": " + LastError();
        return TSocket();
    }
    return result;
}

TSocket TSocket::Accept() const {
    TSocket client(AcceptFrom(Handle));
    if (client.IsOpen()) {
        // Fails harmlessly on a Unix-domain socket.
        SendAtOnce(client.Handle);
    }
    return client;
}

int TSocket::LocalPort() const {
    sockaddr_in address{};
    socklen_t size = sizeof address;
    if (getsockname(Handle, reinterpret_cast<sockaddr*>(&address), &size) != 0 ||
        address.sin_family != AF_INET) {
        return 0;
    }
    return ntohs(address.sin_port);
}

void TSocket::Shutdown(THandle handle) {
#ifdef _WIN32
    shutdown(handle, SD_BOTH);
#else
    shutdown(handle, SHUT_RDWR);
#endif
}

void TSocket::Close() {
    if (IsOpen()) {
        CloseHandleOf(std::exchange(Handle, None));
    }
}

#ifdef _WIN32

std::ptrdiff_t TSocket::Send(THandle handle, const std::uint8_t* data, std::size_t count) {
    for (;;) {
        const int sent = send(handle, reinterpret_cast<const char*>(data),
                              static_cast<int>(std::min<std::size_t>(count, 1 << 20)), 0);
        if (sent != SOCKET_ERROR || !Interrupted()) {
            return sent;
        }
    }
}

std::ptrdiff_t TSocket::Receive(THandle handle, std::uint8_t* buffer, std::size_t size) {
    for (;;) {
        const int got = recv(handle, reinterpret_cast<char*>(buffer),
                             static_cast<int>(std::min<std::size_t>(size, 1 << 20)), 0);
        if (got != SOCKET_ERROR || !Interrupted()) {
            return got;
        }
    }
}

bool TSocket::WaitReadable(THandle handle, THandle wake) {
    WSAPOLLFD handles[2] = {{handle, POLLRDNORM, 0}, {wake, POLLRDNORM, 0}};
    for (;;) {
        if (WSAPoll(handles, 2, -1) == SOCKET_ERROR) {
            if (Interrupted()) {
                continue;
            }
            return false;
        }
        return handles[1].revents == 0;
    }
}

std::string TSocket::LastError() {
    return "Windows Sockets error " + std::to_string(WSAGetLastError());
}

#else

std::ptrdiff_t TSocket::Send(THandle handle, const std::uint8_t* data, std::size_t count) {
    for (;;) {
        ssize_t sent = send(handle, data, count, MSG_NOSIGNAL);
        if (sent < 0 && errno == ENOTSOCK) {
            sent = write(handle, data, count);
        }
        if (sent >= 0 || !Interrupted()) {
            return sent;
        }
    }
}

std::ptrdiff_t TSocket::Receive(THandle handle, std::uint8_t* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = read(handle, buffer, size);
        if (got >= 0 || !Interrupted()) {
            return got;
        }
    }
}

bool TSocket::WaitReadable(THandle handle, THandle wake) {
    pollfd handles[2] = {{handle, POLLIN, 0}, {wake, POLLIN, 0}};
    for (;;) {
        if (poll(handles, 2, -1) < 0) {
            if (Interrupted()) {
                continue;
            }
            return false;
        }
        return handles[1].revents == 0;
    }
}

std::string TSocket::LastError() {
    return std::strerror(errno);
}

#endif
