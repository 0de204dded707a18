#include "platform/Wakeup.h"

#include "platform/SocketAddress.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#ifdef _WIN32

TWakeup::TWakeup() {
    std::string error;
    const auto any = TSocketAddress::Parse("tcp:127.0.0.1:0", error);
    const TSocket listener = TSocket::Listen(*any, error);
    TSocket writer = TSocket::Connect(any->WithPort(listener.LocalPort()), error);
    TSocket reader = listener.Accept();
    if (writer.IsOpen() && reader.IsOpen()) {
        ReadEnd = reader.Release();
        WriteEnd = writer.Release();
    }
}

TWakeup::~TWakeup() {
    TSocket(ReadEnd).Close();
    TSocket(WriteEnd).Close();
}

void TWakeup::Raise() const {
    const std::uint8_t byte = 0;
    TSocket::Send(WriteEnd, &byte, 1);
}

#else

TWakeup::TWakeup() {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) == 0) {
        ReadEnd = ends[0];
        WriteEnd = ends[1];
    }
}

TWakeup::~TWakeup() {
    if (IsReady()) {
        close(ReadEnd);
        close(WriteEnd);
    }
}

void TWakeup::Raise() const {
    const char byte = 0;
    [[maybe_unused]] const ssize_t written = write(WriteEnd, &byte, 1);
}

#endif

void TWakeup::Wait() const {
    while (TSocket::WaitReadable(ReadEnd, ReadEnd)) {
    }
}
