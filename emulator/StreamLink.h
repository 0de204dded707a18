// One byte stream the standalone sampler talks over: a client's connection
// to its socket, or a raw MIDI device file. What arrives is fed to the
// sampler as the bytes a MIDI cable carries; its replies are written back.
#pragma once

#include "emulator/VirtualSampler.h"
#include "platform/MidiProvider.h"
#include "platform/Socket.h"
#include "platform/Wakeup.h"

class TStreamLink : private TMidiByteSink {
public:
    // Attaches to the sampler; the handle stays the caller's.
    TStreamLink(TVirtualSampler& sampler, TSocket::THandle handle);
    ~TStreamLink() override;
    TStreamLink(const TStreamLink&) = delete;
    TStreamLink& operator=(const TStreamLink&) = delete;

    // Feeds what arrives until the stream ends or fails, or stop is raised.
    void Serve(const TWakeup& stop);

private:
    void Received(const std::uint8_t* data, std::size_t count) override;

    TVirtualSampler& Sampler;
    TSocket::THandle Handle;
};
