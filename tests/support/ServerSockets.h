// The two kinds of byte-stream socket (unix:, tcp:) that the tests of the
// devices and of the standalone sampler run over, each where the system has
// it.
#pragma once

#include <string>
#include <vector>

enum class TServerSocket { Unix, Tcp };

// No Unix sockets on Windows.
inline std::vector<TServerSocket> ServerSockets() {
#ifdef _WIN32
    return {TServerSocket::Tcp};
#else
    return {TServerSocket::Unix, TServerSocket::Tcp};
#endif
}

// For test names: "Unix" or "Tcp".
inline std::string SocketName(TServerSocket socket) {
    return socket == TServerSocket::Unix ? "Unix" : "Tcp";
}
