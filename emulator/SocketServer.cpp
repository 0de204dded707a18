#include "emulator/SocketServer.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

bool MakeAddress(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(address.sun_path)) {
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// Waits until fd or stopFd can be read; false when it is time to stop.
bool WaitReadable(int fd, int stopFd) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
    for (;;) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        return fds[1].revents == 0;
    }
}

} // namespace

TSocketServer::TSocketServer(TVirtualSampler& sampler) : Sampler(sampler) {
    // The drop fault cuts the line: the client sees the connection end.
    Sampler.SetDropHandler([this] {
        const int client = Client.load();
        if (client >= 0) {
            shutdown(client, SHUT_RDWR);
        }
    });
}

TSocketServer::~TSocketServer() {
    Sampler.SetDropHandler(nullptr);
    if (Listener >= 0) {
        close(Listener);
        unlink(Path.c_str());
    }
}

bool TSocketServer::Listen(const std::string& path, std::string& error) {
    sockaddr_un address;
    if (!MakeAddress(path, address)) {
        error = "the socket path must have 1 to " + std::to_string(sizeof(address.sun_path) - 1) +
                " characters";
        return false;
    }
    if (!RemoveStale(path, error)) {
        return false;
    }
    Listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (Listener < 0 ||
        bind(Listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(Listener, 4) != 0) {
        error = "cannot listen at " + path + ": " + std::strerror(errno);
        if (Listener >= 0) {
            close(Listener);
            Listener = -1;
        }
        return false;
    }
    Path = path;
    return true;
}

// A socket file that nobody accepts connections at is left over from a
// server that did not end cleanly; one that answers belongs to a live server.
bool TSocketServer::RemoveStale(const std::string& path, std::string& error) {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0) {
        return true;
    }
    if (!S_ISSOCK(info.st_mode)) {
        error = path + " exists and is not a socket";
        return false;
    }
    sockaddr_un address;
    MakeAddress(path, address);
    const int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool live = connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(probe);
    if (live) {
        error = "another server is listening at " + path;
        return false;
    }
    unlink(path.c_str());
    return true;
}

void TSocketServer::Serve(int stopFd) {
    while (WaitReadable(Listener, stopFd)) {
        const int client = accept4(Listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client >= 0) {
            ServeClient(client, stopFd);
        }
    }
}

void TSocketServer::ServeClient(int client, int stopFd) {
    Client = client;
    Sampler.Attach(*this);
    std::uint8_t buffer[4096];
    while (WaitReadable(client, stopFd)) {
        const ssize_t got = recv(client, buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        Sampler.Feed(buffer, static_cast<std::size_t>(got));
    }
    // Shut down first: a reply blocked on a full socket must give up before
    // the sampler can let go of this sink.
    shutdown(client, SHUT_RDWR);
    Sampler.Detach(*this);
    Client = -1;
    close(client);
}

void TSocketServer::Received(const std::uint8_t* data, std::size_t count) {
    const int client = Client.load();
    while (client >= 0 && count > 0) {
        const ssize_t sent = send(client, data, count, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return; // the client is gone: replies fall on the floor
        }
        data += sent;
        count -= static_cast<std::size_t>(sent);
    }
}
