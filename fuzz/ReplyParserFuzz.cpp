// The reply parser over an arbitrary receive ring, in each of its modes:
// idle, a download waiting for its data header (state 6) or its data (state
// 8), and an upload. The ring is filled before parsing and reads fail at once
// when it runs dry, so every input takes microseconds, not the 10 s a silent
// sampler would.
//
// Input: a mode byte, the announced download range (two 16-bit numbers), the
// instrument and wavesample the engine expects, then the ring's bytes.
#include <cstddef>
#include <cstdint>
#include <span>

#include "eps/Eps.h"
#include "tests/support/RingFeed.h"

namespace {

constexpr std::size_t SetupBytes = 7;

TEps& Engine() {
    static TEps* const eps = [] {
        auto* engine = new TEps;
        engine->MidiIn->ByteTimeout = 0;
        engine->ReplyTimeLimit = {};
        return engine;
    }();
    return *eps;
}

void SetMode(TEps& eps, std::uint8_t mode) {
    eps.DownloadState = 0;
    eps.UploadState = 0;
    switch (mode % 4) {
    case 1:
        eps.DownloadState = 6;
        break;
    case 2:
        eps.DownloadState = 8;
        break;
    case 3:
        eps.UploadState = 5;
        break;
    default:
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < SetupBytes) {
        return 0;
    }
    TEps& eps = Engine();
    eps.MidiIn->ClearInput();
    SetMode(eps, data[0]);
    // Any range, also one that does not fit the transfer buffer.
    eps.DataStart = static_cast<std::int16_t>(data[1] | data[2] << 8);
    eps.DataEnd = static_cast<std::int16_t>(data[3] | data[4] << 8);
    eps.Instrument = data[5] % InstrumentCount;
    eps.WaveSample = data[6] % 128;
    FeedRing(*eps.MidiIn, std::span(data + SetupBytes, size - SetupBytes));
    // Every call takes at least one byte or finds the ring empty.
    while (eps.MidiIn->InputCount() != 0) {
        eps.ProcessInput();
    }
    eps.WaitForReply();
    return 0;
}
