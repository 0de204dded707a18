// A client connection to a Unix-domain stream socket that carries raw MIDI
// bytes both ways, shared by the input and the output device of one
// "unix:PATH" name. A peer that goes away makes the connection silent.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/MidiProvider.h"

class TUnixConnection {
public:
    // Null when nothing accepts connections at the path.
    static std::shared_ptr<TUnixConnection> Connect(const std::string& path);
    ~TUnixConnection();
    TUnixConnection(const TUnixConnection&) = delete;
    TUnixConnection& operator=(const TUnixConnection&) = delete;

    // Where received bytes go; null discards them. Once it has returned, the
    // previous sink is no longer called.
    void SetSink(TMidiByteSink* sink);
    // False when the peer has gone and not all bytes reached it.
    bool Send(const std::uint8_t* data, std::size_t count);
    bool Alive() const { return !Dead; }

private:
    TUnixConnection(int socket, int wakeRead, int wakeWrite);
    void Read();

    int Socket;
    int WakeRead;
    int WakeWrite;
    std::atomic<bool> Dead{false};
    std::mutex SinkMutex;
    TMidiByteSink* Sink = nullptr;
    std::thread Reader;
};
