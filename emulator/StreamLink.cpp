#include "emulator/StreamLink.h"

TStreamLink::TStreamLink(TVirtualSampler& sampler, TSocket::THandle handle)
    : Sampler(sampler), Handle(handle) {
    Sampler.Attach(*this);
}

TStreamLink::~TStreamLink() {
    Sampler.Detach(*this);
}

void TStreamLink::Serve(const TWakeup& stop) {
    std::uint8_t buffer[4096];
    while (TSocket::WaitReadable(Handle, stop.Handle())) {
        const std::ptrdiff_t got = TSocket::Receive(Handle, buffer, sizeof buffer);
        if (got <= 0) {
            return;
        }
        Sampler.Feed(buffer, static_cast<std::size_t>(got));
    }
}

void TStreamLink::Received(const std::uint8_t* data, std::size_t count) {
    while (count > 0) {
        const std::ptrdiff_t sent = TSocket::Send(Handle, data, count);
        if (sent <= 0) {
            return; // the peer is gone: replies fall on the floor
        }
        data += sent;
        count -= static_cast<std::size_t>(sent);
    }
}
