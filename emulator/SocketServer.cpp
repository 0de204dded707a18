#include "emulator/SocketServer.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "emulator/StreamLink.h"

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
    while (TStreamLink::WaitReadable(Listener, stopFd)) {
        const int client = accept4(Listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client >= 0) {
            ServeClient(client, stopFd);
        }
    }
}

void TSocketServer::ServeClient(int client, int stopFd) {
    Client = client;
    {
        TStreamLink link(Sampler, client);
        link.Serve(stopFd);
        // Shut down first: a reply blocked on a full socket must give up
        // before the sampler can let go of the link.
        shutdown(client, SHUT_RDWR);
    }
    Client = -1;
    close(client);
}
