#include "emulator/StreamLink.h"

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A socket that the peer closed must not end the program with SIGPIPE;
// other files are written as they are.
ssize_t Write(int fd, const std::uint8_t* data, std::size_t count) {
    const ssize_t sent = send(fd, data, count, MSG_NOSIGNAL);
    return sent < 0 && errno == ENOTSOCK ? write(fd, data, count) : sent;
}

} // namespace

TStreamLink::TStreamLink(TVirtualSampler& sampler, int fd) : Sampler(sampler), Fd(fd) {
    Sampler.Attach(*this);
}

TStreamLink::~TStreamLink() {
    Sampler.Detach(*this);
}

bool TStreamLink::WaitReadable(int fd, int stopFd) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
    for (;;) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        return fds[1].revents == 0;
    }
}

void TStreamLink::Serve(int stopFd) {
    std::uint8_t buffer[4096];
    while (WaitReadable(Fd, stopFd)) {
        const ssize_t got = read(Fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return;
        }
        Sampler.Feed(buffer, static_cast<std::size_t>(got));
    }
}

void TStreamLink::Received(const std::uint8_t* data, std::size_t count) {
    while (count > 0) {
        const ssize_t sent = Write(Fd, data, count);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return; // the peer is gone: replies fall on the floor
        }
        data += sent;
        count -= static_cast<std::size_t>(sent);
    }
}
