// An operating-system byte channel the debug trace is written into: the
// connection to the trace monitor or the serial port. It owns its handle.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class TDebugChannel {
public:
    TDebugChannel() = default;
    ~TDebugChannel() { Close(); }
    TDebugChannel(TDebugChannel&& other) noexcept;
    TDebugChannel& operator=(TDebugChannel&& other) noexcept;
    TDebugChannel(const TDebugChannel&) = delete;
    TDebugChannel& operator=(const TDebugChannel&) = delete;

    // Connects to the monitor listening as "Pellomir.Ole"; throws
    // EDebugDeviceError when nothing listens there.
    static TDebugChannel ConnectMonitor();
    // Opens the serial port exclusively at 19200 baud 8N1; the channel is
    // closed when the port cannot be opened.
    static TDebugChannel OpenSerial(const std::string& port);

    bool IsOpen() const { return FHandle != -1; }
    // Writes the bytes in one call; failures are not reported, since a trace
    // must never disturb the program it traces.
    void Write(std::string_view text) const;
    void Close();

private:
    TDebugChannel(std::intptr_t handle, bool isSocket) : FHandle(handle), FIsSocket(isSocket) {}

    // A file descriptor, or a Windows HANDLE; -1 when closed on both.
    std::intptr_t FHandle = -1;
    bool FIsSocket = false;
};
