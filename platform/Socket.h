// A stream socket of the byte-stream devices and the standalone sampler's
// server, owning its handle, over the two systems' socket calls: Windows
// wants its sockets library started, closesocket and WSAPoll; elsewhere the
// handle is a file descriptor, so the byte calls serve any file as well.
#pragma once

#include "platform/MidiExport.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

class TSocketAddress;

class TAVIMOR_MIDI_API TSocket {
public:
#ifdef _WIN32
    using THandle = std::uintptr_t;
#else
    using THandle = int;
#endif
    // The invalid handle of either system.
    static constexpr THandle None = static_cast<THandle>(-1);

    TSocket() = default;
    explicit TSocket(THandle handle) : Handle(handle) {}
    ~TSocket() {
        Close();
    }
    TSocket(TSocket&& other) noexcept;
    TSocket& operator=(TSocket&& other) noexcept;
    TSocket(const TSocket&) = delete;
    TSocket& operator=(const TSocket&) = delete;

    // Connected to the address; closed with the reason when nothing
    // accepts connections there.
    static TSocket Connect(const TSocketAddress& address, std::string& error);
    // Bound to the address and accepting connections; closed with the
    // reason when it cannot be.
    static TSocket Listen(const TSocketAddress& address, std::string& error);
    // The next client (waiting for one); closed when accepting failed.
    TSocket Accept() const;
    // The port a tcp socket is bound to: the one chosen for port 0.
    int LocalPort() const;

    bool IsOpen() const {
        return Handle != None;
    }
    THandle Get() const {
        return Handle;
    }
    void Close();
    // Gives the handle up to the caller, who closes it.
    THandle Release() {
        return std::exchange(Handle, None);
    }

    // Move bytes over a socket (or, outside Windows, any file descriptor),
    // repeating an interrupted call: the count moved, 0 at the end of the
    // stream, below 0 on failure. A peer that has gone is a failure, never a
    // signal that ends the program.
    static std::ptrdiff_t Send(THandle handle, const std::uint8_t* data, std::size_t count);
    static std::ptrdiff_t Receive(THandle handle, std::uint8_t* buffer, std::size_t size);
    // Ends both directions: the peer sees the stream end, and a reply that
    // waits for room gives up.
    static void Shutdown(THandle handle);
    // Waits until handle or wake can be read; false when wake can (or the
    // wait fails), which means it is time to stop.
    static bool WaitReadable(THandle handle, THandle wake);
    // The system's text for the last failure of a socket call.
    static std::string LastError();

private:
    static TSocket Open(int family, std::string& error);

    THandle Handle = None;
};
