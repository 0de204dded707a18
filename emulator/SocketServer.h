// The standalone sampler's front end on a stream socket (unix:PATH or
// tcp:127.0.0.1:PORT): raw MIDI bytes both ways, one client at a time;
// further clients wait in the queue until the current one hangs up.
#pragma once

#include <atomic>
#include <optional>
#include <string>

#include "emulator/VirtualSampler.h"
#include "platform/Socket.h"
#include "platform/SocketAddress.h"
#include "platform/Wakeup.h"

class TSocketServer {
public:
    explicit TSocketServer(TVirtualSampler& sampler);
    ~TSocketServer();
    TSocketServer(const TSocketServer&) = delete;
    TSocketServer& operator=(const TSocketServer&) = delete;

    // Listens at the address, replacing a socket file that no server
    // answers at. False with a reason.
    bool Listen(const TSocketAddress& address, std::string& error);
    // Where clients reach it: with the port chosen when it was given port 0.
    std::string Address() const;
    // Serves clients until stop is raised.
    void Serve(const TWakeup& stop);

private:
    void ServeClient(const TSocket& client, const TWakeup& stop);

    TVirtualSampler& Sampler;
    TSocket Listener;
    std::atomic<TSocket::THandle> Client{TSocket::None};
    std::optional<TSocketAddress> Bound;
};
