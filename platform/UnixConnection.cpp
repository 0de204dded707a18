#include "platform/UnixConnection.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

std::shared_ptr<TUnixConnection> TUnixConnection::Connect(const std::string& path) {
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof(address.sun_path)) {
        return nullptr;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return nullptr;
    }
    int wake[2];
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        pipe2(wake, O_CLOEXEC) != 0) {
        close(fd);
        return nullptr;
    }
    return std::shared_ptr<TUnixConnection>(new TUnixConnection(fd, wake[0], wake[1]));
}

TUnixConnection::TUnixConnection(int socket, int wakeRead, int wakeWrite)
    : Socket(socket), WakeRead(wakeRead), WakeWrite(wakeWrite) {
    Reader = std::thread([this] { Read(); });
}

TUnixConnection::~TUnixConnection() {
    const char stop = 0;
    [[maybe_unused]] const auto written = write(WakeWrite, &stop, 1);
    Reader.join();
    close(Socket);
    close(WakeRead);
    close(WakeWrite);
}

void TUnixConnection::SetSink(TMidiByteSink* sink) {
    std::lock_guard lock(SinkMutex);
    Sink = sink;
}

bool TUnixConnection::Send(const std::uint8_t* data, std::size_t count) {
    while (count > 0 && !Dead) {
        const ssize_t sent = send(Socket, data, count, MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) {
                continue;
            }
            Dead = true;
            return false;
        }
        data += sent;
        count -= static_cast<std::size_t>(sent);
    }
    return count == 0;
}

void TUnixConnection::Read() {
    std::uint8_t buffer[4096];
    pollfd fds[2] = {{Socket, POLLIN, 0}, {WakeRead, POLLIN, 0}};
    for (;;) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (fds[1].revents != 0) {
            return;
        }
        const ssize_t got = recv(Socket, buffer, sizeof(buffer), 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        std::lock_guard lock(SinkMutex);
        if (Sink != nullptr) {
            Sink->Received(buffer, static_cast<std::size_t>(got));
        }
    }
    // The peer closed or failed: stay silent until we are destroyed.
    Dead = true;
    pollfd wake{WakeRead, POLLIN, 0};
    while (poll(&wake, 1, -1) < 0 && errno == EINTR) {
    }
}
