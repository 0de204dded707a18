// The standalone virtual sampler, run as a program of its own on a Unix
// socket in a private folder for the life of the object.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/transfer/ChildProcess.h"

class TVirtualEpsServer {
public:
    // Starts the server with these options besides --listen and waits
    // until it listens.
    explicit TVirtualEpsServer(const std::vector<std::string>& options = {});
    ~TVirtualEpsServer();
    TVirtualEpsServer(const TVirtualEpsServer&) = delete;
    TVirtualEpsServer& operator=(const TVirtualEpsServer&) = delete;

    bool Listening() const { return IsListening; }
    // "unix:" and the socket's path.
    std::string DeviceName() const { return "unix:" + (Folder / "eps.sock").string(); }

private:
    std::filesystem::path Folder;
    std::unique_ptr<TChildProcess> Process;
    bool IsListening = false;
};
