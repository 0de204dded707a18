// A handle that a thread waiting for its socket also waits on, so that
// another thread, or a signal or console handler, can make it stop: a pipe,
// or on Windows (where only sockets can be polled) a connected pair of
// loopback sockets.
#pragma once

#include "platform/MidiExport.h"
#include "platform/Socket.h"

class TAVIMOR_MIDI_API TWakeup {
public:
    TWakeup();
    ~TWakeup();
    TWakeup(const TWakeup&) = delete;
    TWakeup& operator=(const TWakeup&) = delete;

    // False when the system would not give us the handles.
    bool IsReady() const { return ReadEnd != TSocket::None; }
    // Makes Handle readable for good. Safe in a signal handler and from any
    // thread.
    void Raise() const;
    // What to wait on beside the socket (TSocket::WaitReadable).
    TSocket::THandle Handle() const { return ReadEnd; }
    // Waits until it is raised.
    void Wait() const;

private:
    TSocket::THandle ReadEnd = TSocket::None;
    TSocket::THandle WriteEnd = TSocket::None;
};
