// What the view costs on the cable: opening a 2,000,000-sample wavesample of
// an ASR, zooming in three times and showing all again; then what a fade
// over a quarter of it, its undo and its redo cost, and the same for a
// marker move. Each step is the System Exclusive messages the editor sent
// (acknowledgements included), the bytes both ways and the time it took.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "bench/CountingSampler.h"

namespace {

constexpr int SampleCount = 2000000;

void Step(TBenchRig& rig, const char* what, const std::function<bool()>& action) {
    const TCountingSampler::TCounts before = rig.Peer->Counts();
    const auto start = std::chrono::steady_clock::now();
    if (!action()) {
        std::fprintf(stderr, "bench_view: %s failed\n", what);
        std::exit(1);
    }
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    const TCountingSampler::TCounts after = rig.Peer->Counts();
    const TEps& eps = *rig.Eps;
    std::printf("%-14s %9llu %10llu %10llu %9d %9d %7d %8.1f\n", what,
                static_cast<unsigned long long>(after.Messages - before.Messages),
                static_cast<unsigned long long>(after.ToSampler - before.ToSampler),
                static_cast<unsigned long long>(after.FromSampler - before.FromSampler),
                eps.ViewStart, eps.ViewEnd, eps.SamplesPerPoint, took.count());
}

// The middle quarter of the view, as a selection the user zooms into.
bool ZoomIn(TEps& eps) {
    const std::int32_t span = eps.ViewEnd - eps.ViewStart;
    eps.SetViewEnd(eps.ViewStart + span * 5 / 8);
    eps.SetViewStart(eps.ViewStart + span * 3 / 8);
    return eps.RefreshView();
}

bool ShowAll(TEps& eps) {
    eps.SetViewStart(0);
    eps.SetViewEnd(eps.LastSample + 1);
    return eps.RefreshView();
}

// The second quarter faded out, as the Fade Out command does it.
bool FadeOut(TEps& eps) {
    const std::int32_t start = SampleCount / 4;
    const std::int32_t end = SampleCount / 2;
    return eps.History.Edit("Fade Out", TSampleRange::Before(start, end),
                            [start, end](TEps& engine) {
                                engine.FadeOut(start, end, 0);
                                return engine.WaitForReply();
                            });
}

bool MoveLoopStart(TEps& eps) {
    TWaveSampleBlock changed = eps.WaveSampleParameters;
    SetSampleAddressOf(changed, wpLoopStart, SampleCount / 2);
    eps.History.ChangeParameters("Set Loop Start", changed);
    return true;
}

bool Undo(TEps& eps) {
    eps.History.Undo();
    return eps.History.CanRedo();
}

bool Redo(TEps& eps) {
    eps.History.Redo();
    return eps.History.CanUndo();
}

} // namespace

int main() {
    TSamplerOptions options;
    options.Kind = TSamplerKind::Asr;
    options.Timing.EditPerSample = {};
    TBenchRig rig("View EPS", options);
    std::vector<std::int16_t> samples(SampleCount);
    for (int i = 0; i < SampleCount; ++i) {
        samples[static_cast<std::size_t>(i)] = static_cast<std::int16_t>((i % 2000) * 16 - 16000);
    }
    // The view shows the samples up to and including the end address.
    rig.Peer->Place(0, 1, samples, SampleCount - 1);
    TEps& eps = *rig.Eps;
    if (!eps.CheckConnection()) {
        std::fprintf(stderr, "bench_view: no sampler\n");
        return 1;
    }
    eps.Instrument = 0;
    eps.WaveSample = 1;
    std::printf("view of a %d-sample wavesample (ASR)\n", SampleCount);
    std::printf("%-14s %9s %10s %10s %9s %9s %7s %8s\n", "step", "messages", "bytes out",
                "bytes in", "view from", "view to", "per pt", "ms");
    Step(rig, "open", [&] { return eps.OpenWavesample(true) == orOpened; });
    Step(rig, "zoom in 1", [&] { return ZoomIn(eps); });
    Step(rig, "zoom in 2", [&] { return ZoomIn(eps); });
    Step(rig, "zoom in 3", [&] { return ZoomIn(eps); });
    Step(rig, "show all", [&] { return ShowAll(eps); });
    Step(rig, "fade out", [&] { return FadeOut(eps); });
    Step(rig, "undo fade", [&] { return Undo(eps); });
    Step(rig, "redo fade", [&] { return Redo(eps); });
    Step(rig, "move marker", [&] { return MoveLoopStart(eps); });
    Step(rig, "undo marker", [&] { return Undo(eps); });
    Step(rig, "redo marker", [&] { return Redo(eps); });
    return 0;
}
