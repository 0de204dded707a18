// The standalone virtual sampler, run as a program of its own for the life
// of the object, on a Unix socket in a private folder or on a free loopback
// TCP port.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/transfer/ChildProcess.h"

// The two kinds of byte-stream device the server offers; the tests that
// reach it run over each kind.
enum class TServerSocket { Unix, Tcp };

class TVirtualEpsServer {
public:
    // Starts the server with these options besides --listen and waits
    // until it listens.
    explicit TVirtualEpsServer(const std::vector<std::string>& options = {},
                               TServerSocket socket = TServerSocket::Unix);
    ~TVirtualEpsServer();
    TVirtualEpsServer(const TVirtualEpsServer&) = delete;
    TVirtualEpsServer& operator=(const TVirtualEpsServer&) = delete;

    bool Listening() const { return !Device.empty(); }
    // "unix:" and the socket's path, or "tcp:127.0.0.1:" and the port the
    // server took.
    std::string DeviceName() const { return Device; }

private:
    std::filesystem::path Folder;
    std::unique_ptr<TChildProcess> Process;
    std::string Device;
};

// The kinds this system has: no Unix sockets on Windows.
std::vector<TServerSocket> ServerSockets();
// For test names: "Unix" or "Tcp".
std::string SocketName(TServerSocket socket);
