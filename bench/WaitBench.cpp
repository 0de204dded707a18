// Processor time while the program waits for the sampler: a silent
// ReadByte (its whole 10 s), a wait state of the upload loop that lasts 10 s,
// and WaitForReply on an edit that keeps the sampler busy for 10 s. Each is
// the share of one core that the whole process used meanwhile.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchFrontEnd.h"
#include "transfer/Upload.h"
#include "transfer/WaveFile.h"

namespace {

using TClock = std::chrono::steady_clock;

constexpr int WaitSeconds = 10;

struct TShare {
    double Wall = 0;
    double Cpu = 0;
};

template <typename TWait> TShare Measure(TWait wait) {
    const double cpu = ProcessSeconds();
    const TClock::time_point start = TClock::now();
    wait();
    return {std::chrono::duration<double>(TClock::now() - start).count(), ProcessSeconds() - cpu};
}

void Print(const char* what, const TShare& share) {
    std::printf("%-34s %8.2f %10.1f %8.2f%%\n", what, share.Wall, share.Cpu * 1000,
                100.0 * share.Cpu / share.Wall);
}

void Connect(TBenchRig& rig) {
    if (!rig.Eps->CheckConnection()) {
        std::fprintf(stderr, "bench_waits: no sampler\n");
        std::exit(1);
    }
}

TShare SilentRead() {
    TBenchRig rig("Wait EPS 1", {});
    Connect(rig);
    rig.Peer->Sampler().SetFaults({.Silent = true});
    return Measure([&] {
        std::uint8_t byte = 0;
        rig.Eps->MidiIn->ReadByte(byte);
    });
}

// The sampler falls silent once the target is chosen, so the first block
// header waits for its acknowledgement until the silence limit.
TShare UploadWait() {
    TBenchRig rig("Wait EPS 2", {});
    Connect(rig);
    const std::string file =
        (std::filesystem::temp_directory_path() / "tavimor-bench-wait.wav").string();
    std::FILE* stream = std::fopen(file.c_str(), "wb");
    const std::vector<std::int32_t> words(1000, 0);
    WriteWaveHeader(stream, static_cast<std::uint32_t>(words.size()), 31250);
    WriteWaveBlock(stream, words.data(), static_cast<std::uint32_t>(words.size()));
    std::fclose(stream);
    TBenchFrontEnd frontEnd(*rig.Eps, *rig.Peer);
    frontEnd.Target = {3, 2};
    frontEnd.File = file;
    frontEnd.OnTargetChosen = [&] { rig.Peer->Sampler().SetFaults({.Silent = true}); };
    std::string path;
    TUpload upload(*rig.Eps, frontEnd, path);
    upload.SilenceLimit = std::chrono::seconds(WaitSeconds);
    upload.Run();
    std::filesystem::remove(file);
    return {frontEnd.Seconds(), frontEnd.CpuSeconds()};
}

// Normalizing 50000 samples at 200 us each keeps the sampler busy for 10 s,
// with a wait response every 250 ms.
TShare LongEdit() {
    TSamplerOptions options;
    options.Timing.EditPerSample = std::chrono::microseconds(200);
    TBenchRig rig("Wait EPS 3", options);
    Connect(rig);
    rig.Peer->Place(5, 1, std::vector<std::int16_t>(50000, 100), 49999);
    rig.Eps->Instrument = 5;
    rig.Eps->WaveSample = 1;
    return Measure([&] {
        rig.Eps->NormalizeGain();
        if (rig.Eps->WaitForReply() != rrAck) {
            std::fprintf(stderr, "bench_waits: the edit was not acknowledged\n");
            std::exit(1);
        }
    });
}

} // namespace

int main() {
    std::printf("%-34s %8s %10s %9s\n", "processor time while waiting", "wall s", "cpu ms",
                "of a core");
    Print("ReadByte on a silent input", SilentRead());
    Print("upload wait state (silent sampler)", UploadWait());
    Print("WaitForReply on a 10 s edit", LongEdit());
    return 0;
}
