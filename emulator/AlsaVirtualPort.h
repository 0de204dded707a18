// The standalone sampler as an ALSA sequencer port "Virtual EPS", which
// other MIDI software can subscribe to. System Exclusive travels as paced
// fragments of at most 256 bytes and is joined again on the way in. The port
// must be one client's, so its reader thread and the sampler's worker, which
// sends the replies, share one sequencer handle and take turns with it.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <alsa/asoundlib.h>

#include "emulator/VirtualSampler.h"
#include "platform/AlsaClient.h"
#include "platform/AlsaEventReader.h"
#include "platform/AlsaEventWriter.h"
#include "platform/MidiProvider.h"

class TAlsaVirtualPort : private TMidiByteSink {
public:
    // Null with a reason when the system has no sequencer. The port reads
    // until stopFd becomes readable.
    static std::unique_ptr<TAlsaVirtualPort> Open(TVirtualSampler& sampler, int stopFd,
                                                  std::string& error);
    ~TAlsaVirtualPort() override;

private:
    TAlsaVirtualPort(TVirtualSampler& sampler, std::unique_ptr<TAlsaClient> client, int port,
                     int stopFd);
    void Read();
    void ReadEvents(std::vector<std::uint8_t>& bytes);
    void Received(const std::uint8_t* data, std::size_t count) override;

    TVirtualSampler& Sampler;
    std::unique_ptr<TAlsaClient> Client;
    int Port;
    int StopFd;
    std::mutex HandleLock;
    // One for the reader thread, one for the sampler's worker.
    TAlsaEventReader InEvents;
    TAlsaEventWriter OutEvents{&HandleLock};
    std::thread Reader;
};
