#include "platform/SocketAddress.h"

#include <charconv>
#include <cstring>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>
#endif

namespace {

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

std::optional<int> PortOf(const std::string& text) {
    int port = -1;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, port);
    if (text.empty() || result.ec != std::errc() || result.ptr != end || port < 0 || port > 65535) {
        return std::nullopt;
    }
    return port;
}

} // namespace

const char* TSocketAddress::Forms() {
#ifdef _WIN32
    return "tcp:127.0.0.1:PORT";
#else
    return "unix:PATH or tcp:127.0.0.1:PORT";
#endif
}

bool TSocketAddress::Looks(const std::string& text) {
    return StartsWith(text, UnixPrefix) || StartsWith(text, TcpPrefix);
}

std::optional<TSocketAddress> TSocketAddress::Parse(const std::string& text, std::string& error) {
    if (StartsWith(text, UnixPrefix)) {
        return ParseUnix(text.substr(std::strlen(UnixPrefix)), error);
    }
    if (StartsWith(text, TcpPrefix)) {
        return ParseTcp(text.substr(std::strlen(TcpPrefix)), error);
    }
    error = std::string("an address is ") + Forms() + ", not " + text;
    return std::nullopt;
}

#ifdef _WIN32

std::optional<TSocketAddress> TSocketAddress::ParseUnix(const std::string&, std::string& error) {
    error = "unix: sockets are not available on Windows; use tcp:127.0.0.1:PORT";
    return std::nullopt;
}

#else

std::optional<TSocketAddress> TSocketAddress::ParseUnix(const std::string& path,
                                                        std::string& error) {
    sockaddr_un address{};
    static_assert(sizeof address <= sizeof Storage);
    if (path.empty() || path.size() >= sizeof(address.sun_path)) {
        error = "the socket path must have 1 to " + std::to_string(sizeof(address.sun_path) - 1) +
                " characters";
        return std::nullopt;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    TSocketAddress result;
    result.Unix = true;
    result.FamilyId = AF_UNIX;
    result.FilePath = path;
    std::memcpy(result.Storage, &address, sizeof address);
    result.Length = sizeof address;
    return result;
}

#endif

std::optional<TSocketAddress> TSocketAddress::ParseTcp(const std::string& text,
                                                       std::string& error) {
    const std::size_t colon = text.rfind(':');
    const std::optional<int> port =
        colon == std::string::npos ? std::nullopt : PortOf(text.substr(colon + 1));
    if (!port) {
        error = "tcp: takes 127.0.0.1:PORT with a port of 0 to 65535, not tcp:" + text;
        return std::nullopt;
    }
    const std::string host = text.substr(0, colon);
    if (host != "127.0.0.1" && host != "localhost") {
        error = "only this computer's loopback address 127.0.0.1 may be used, not " + host;
        return std::nullopt;
    }
    TSocketAddress result;
    result.FamilyId = AF_INET;
    return result.WithPort(*port);
}

TSocketAddress TSocketAddress::WithPort(int port) const {
    sockaddr_in address{};
    static_assert(sizeof address <= sizeof Storage);
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    TSocketAddress result = *this;
    result.PortNumber = port;
    std::memcpy(result.Storage, &address, sizeof address);
    result.Length = sizeof address;
    return result;
}

std::string TSocketAddress::Text() const {
    return Unix ? UnixPrefix + FilePath
                : std::string(TcpPrefix) + "127.0.0.1:" + std::to_string(PortNumber);
}
