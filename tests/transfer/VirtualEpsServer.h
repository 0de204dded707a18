// The standalone virtual sampler, run as a program of its own for the life
// of the object, on a Unix socket in a private folder or on a free loopback
// TCP port.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/ServerSockets.h"
#include "tests/transfer/ChildProcess.h"

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

// The address the server names in its error output once it accepts
// connections; empty before.
std::string ListeningAddress(const std::string& errors);
