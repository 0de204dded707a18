// Transfer efficiency: a 100000-sample wavesample downloaded and uploaded
// through the real ports, Vorrin and MIDI layer against the virtual sampler
// on a simulated 31250-baud cable, for several block sizes. The time the
// bytes of every message need on the cable, both ways, is set against the
// wall time of the transfer loop.
//
//   bench_transfer [TIME_SCALE]   (default 20: the cable runs 20 times fast)
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchFrontEnd.h"
#include "transfer/Download.h"
#include "transfer/Upload.h"
#include "transfer/WaveFile.h"

namespace {

constexpr int SampleCount = 100000;
constexpr std::uint32_t Baud = 31250;
constexpr int BitsPerByte = 10;
constexpr int Instrument = 4;
constexpr int Period = 20; // 31250 Hz
const int BlockSizes[] = {256, 1024, 4096, 10240};

struct TRun {
    double Wall = 0;
    double Wire = 0;
    double Percent() const { return 100.0 * Wire / Wall; }
};

std::vector<std::int16_t> Samples() {
    std::vector<std::int16_t> samples(SampleCount);
    for (int i = 0; i < SampleCount; ++i) {
        samples[static_cast<std::size_t>(i)] =
            static_cast<std::int16_t>(std::lround(20000 * std::sin(i * 0.01)));
    }
    return samples;
}

void WriteWave(const std::string& path, const std::vector<std::int16_t>& samples) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::vector<std::int32_t> words(samples.begin(), samples.end());
    WriteWaveHeader(file, static_cast<std::uint32_t>(words.size()), Baud);
    WriteWaveBlock(file, words.data(), static_cast<std::uint32_t>(words.size()));
    std::fclose(file);
}

template <typename TWorkflow> TRun Measure(TBenchRig& rig, TBenchFrontEnd& frontEnd, double scale) {
    std::string path;
    TWorkflow workflow(*rig.Eps, frontEnd, path);
    const TTransferReport report = workflow.Run();
    if (report.Outcome != toCompleted) {
        std::fprintf(stderr, "bench_transfer: %s\n", report.Message.c_str());
        std::exit(1);
    }
    const double byteSeconds = BitsPerByte / static_cast<double>(Baud) / scale;
    return {frontEnd.Seconds(), static_cast<double>(frontEnd.Bytes()) * byteSeconds};
}

} // namespace

int main(int argc, char** argv) {
    const double scale = argc > 1 ? std::atof(argv[1]) : 20.0;
    if (!(scale > 0)) {
        std::fprintf(stderr, "usage: bench_transfer [TIME_SCALE]\n");
        return 2;
    }
    TSamplerOptions options;
    options.Timing.Baud = Baud;
    options.Timing.TimeScale = scale;
    TBenchRig rig("Bench EPS", options);
    const std::vector<std::int16_t> samples = Samples();
    // A download fetches the samples from the start address up to, not
    // including, the end address.
    rig.Peer->Place(Instrument, 1, samples, SampleCount);
    rig.Peer->Place(Instrument, 2, {0}, 0);
    rig.Peer->Sampler().Inspect([](TSamplerModel& model) {
        model.Instrument(Instrument)->WaveSample(1)->SetHigh(TWaveSample::PeriodWord, Period);
    });
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    const std::string down = (folder / "tavimor-bench-down.wav").string();
    const std::string up = (folder / "tavimor-bench-up.wav").string();
    WriteWave(up, samples);
    if (!rig.Eps->CheckConnection()) {
        std::fprintf(stderr, "bench_transfer: no sampler\n");
        return 1;
    }

    std::printf("transfer of %d samples at %u baud, time scale %g, delay 0\n", SampleCount, Baud,
                scale);
    std::printf("%-10s %8s %10s %10s %8s\n", "direction", "block", "wall s", "wire s", "wire %");
    double atKiloBlock = 100;
    for (const int block : BlockSizes) {
        rig.Eps->SetBlockSize(block);
        TBenchFrontEnd downFront(*rig.Eps, *rig.Peer);
        downFront.Target = {Instrument, 1};
        downFront.File = down;
        rig.Eps->WaveSampleOpen = false;
        const TRun download = Measure<TDownload>(rig, downFront, scale);
        TBenchFrontEnd upFront(*rig.Eps, *rig.Peer);
        upFront.Target = {Instrument, 2};
        upFront.File = up;
        const TRun upload = Measure<TUpload>(rig, upFront, scale);
        for (const auto& [name, run] : {std::pair{"download", download}, {"upload", upload}}) {
            std::printf("%-10s %8d %10.3f %10.3f %7.1f%%\n", name, block, run.Wall, run.Wire,
                        run.Percent());
        }
        if (block == 1024) {
            atKiloBlock = std::min(download.Percent(), upload.Percent());
        }
    }
    std::filesystem::remove(down);
    std::filesystem::remove(up);
    std::printf("transfer efficiency at block 1024: %.1f %%\n", atKiloBlock);
    return 0;
}
