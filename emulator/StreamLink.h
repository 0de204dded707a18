// One byte stream the standalone sampler talks over: a client's connection
// to its socket, or a raw MIDI device file. What arrives is fed to the
// sampler as the bytes a MIDI cable carries; its replies are written back.
#pragma once

#include "emulator/VirtualSampler.h"
#include "platform/MidiProvider.h"

class TStreamLink : private TMidiByteSink {
public:
    // Attaches to the sampler; fd stays the caller's.
    TStreamLink(TVirtualSampler& sampler, int fd);
    ~TStreamLink() override;
    TStreamLink(const TStreamLink&) = delete;
    TStreamLink& operator=(const TStreamLink&) = delete;

    // Feeds what arrives until the stream ends or fails, or stopFd becomes
    // readable.
    void Serve(int stopFd);

    // Waits until fd or stopFd can be read; false when it is time to stop.
    static bool WaitReadable(int fd, int stopFd);

private:
    void Received(const std::uint8_t* data, std::size_t count) override;

    TVirtualSampler& Sampler;
    int Fd;
};
