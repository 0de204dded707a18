// The standalone sampler's front end on a Unix-domain stream socket: raw MIDI
// bytes both ways, one client at a time; further clients wait in the queue
// until the current one hangs up.
#pragma once

#include <atomic>
#include <string>

#include "emulator/VirtualSampler.h"

class TSocketServer {
public:
    explicit TSocketServer(TVirtualSampler& sampler);
    ~TSocketServer();
    TSocketServer(const TSocketServer&) = delete;
    TSocketServer& operator=(const TSocketServer&) = delete;

    // Listens at path, removing a socket file that no server answers at.
    // False with a reason.
    bool Listen(const std::string& path, std::string& error);
    // Serves clients until stopFd becomes readable.
    void Serve(int stopFd);

private:
    void ServeClient(int client, int stopFd);
    bool RemoveStale(const std::string& path, std::string& error);

    TVirtualSampler& Sampler;
    int Listener = -1;
    std::atomic<int> Client{-1};
    std::string Path;
};
