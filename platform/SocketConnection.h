// A client connection to a stream socket that carries raw MIDI bytes both
// ways, shared by the input and the output device of one "unix:PATH" or
// "tcp:127.0.0.1:PORT" name. A peer that goes away makes the connection
// silent.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/MidiProvider.h"
#include "platform/Socket.h"
#include "platform/Wakeup.h"

class TSocketAddress;

class TSocketConnection {
public:
    // Null when nothing accepts connections at the address.
    static std::shared_ptr<TSocketConnection> Connect(const TSocketAddress& address);
    ~TSocketConnection();
    TSocketConnection(const TSocketConnection&) = delete;
    TSocketConnection& operator=(const TSocketConnection&) = delete;

    // Where received bytes go; null discards them. Once it has returned, the
    // previous sink is no longer called.
    void SetSink(TMidiByteSink* sink);
    // False when the peer has gone and not all bytes reached it.
    bool Send(const std::uint8_t* data, std::size_t count);
    bool Alive() const { return !Dead; }

private:
    explicit TSocketConnection(TSocket socket);
    void Read();

    TSocket Socket;
    // Raised when we are destroyed, so that the reader ends.
    TWakeup Stop;
    std::atomic<bool> Dead{false};
    std::mutex SinkMutex;
    TMidiByteSink* Sink = nullptr;
    std::thread Reader;
};
