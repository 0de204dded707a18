// Where a byte-stream device or the standalone sampler's server lies:
// "unix:PATH", a Unix-domain socket (not on Windows: older versions and Wine
// have no AF_UNIX), or "tcp:127.0.0.1:PORT" on the loopback interface. The
// raw MIDI bytes carry no authentication, so nothing but this computer may
// reach them: any other host is refused.
#pragma once

#include "platform/MidiExport.h"

#include <cstddef>
#include <optional>
#include <string>

class TAVIMOR_MIDI_API TSocketAddress {
public:
    // Empty with the reason when the text names no address we may use. Port
    // 0 stands for any free port (for a server).
    static std::optional<TSocketAddress> Parse(const std::string& text, std::string& error);
    // Whether the text starts like an address, so that it is meant as one.
    static bool Looks(const std::string& text);
    // The forms this system takes, for messages.
    static const char* Forms();

    bool IsUnix() const { return Unix; }
    // The socket file's path; empty for tcp.
    const std::string& Path() const { return FilePath; }
    // The address the socket calls take, and its length.
    const void* Data() const { return Storage; }
    int Size() const { return Length; }
    int Family() const { return FamilyId; }
    // "unix:PATH" or "tcp:127.0.0.1:PORT".
    std::string Text() const;
    // The same address on another port: the one a server was given for 0.
    TSocketAddress WithPort(int port) const;

private:
    static constexpr const char* UnixPrefix = "unix:";
    static constexpr const char* TcpPrefix = "tcp:";

    TSocketAddress() = default;
    static std::optional<TSocketAddress> ParseUnix(const std::string& path, std::string& error);
    static std::optional<TSocketAddress> ParseTcp(const std::string& text, std::string& error);

    bool Unix = false;
    int FamilyId = 0;
    std::string FilePath;
    int PortNumber = 0;
    // Large enough for sockaddr_un and sockaddr_in; aligned for either.
    alignas(8) unsigned char Storage[128] = {};
    int Length = 0;
};
