// How fast ProcessInput parses replies that are already in the receive ring:
// the data message of a download block of the largest size, and a view
// reply. MIDI brings 3125 bytes a second; the parser must stay far above any
// interface's rate.
#include <benchmark/benchmark.h>

#include <vector>

#include "eps/Eps.h"
#include "eps/WireFormat.h"
#include "tests/support/RingFeed.h"

namespace {

void AppendWords(std::vector<std::uint8_t>& bytes, int count) {
    for (int i = 0; i < count; ++i) {
        for (std::uint8_t byte : Word16Bytes(static_cast<std::uint32_t>(i * 37))) {
            bytes.push_back(byte);
        }
    }
}

void AppendHeader(std::vector<std::uint8_t>& bytes) {
    for (std::uint8_t byte : FrameHeader(1)) {
        bytes.push_back(byte);
    }
}

void Parse(benchmark::State& state, TEps& eps, const std::vector<std::uint8_t>& reply,
           TReplyResult expected) {
    for (auto _ : state) {
        state.PauseTiming();
        eps.MidiIn->ClearInput();
        FeedRing(*eps.MidiIn, reply);
        state.ResumeTiming();
        if (eps.ProcessInput() != expected) {
            state.SkipWithError("the reply was not parsed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * reply.size()));
}

void DownloadData(benchmark::State& state) {
    TEps eps;
    eps.DownloadState = 8;
    eps.DataStart = 0;
    eps.DataEnd = TransferBufferWords;
    std::vector<std::uint8_t> reply;
    AppendHeader(reply);
    AppendWords(reply, TransferBufferWords);
    reply.push_back(SysExEnd);
    Parse(state, eps, reply, rrData);
}

// A view reply: the data header, then (after the acknowledgement, which goes
// nowhere here) the 512 points.
void ViewData(benchmark::State& state) {
    TEps eps;
    std::vector<std::uint8_t> reply;
    AppendHeader(reply);
    reply.push_back(15);
    for (int field : {0, 0, 1}) {
        for (std::uint8_t byte : Word12Bytes(static_cast<std::uint32_t>(field))) {
            reply.push_back(byte);
        }
    }
    for (std::uint8_t byte : Word24Bytes(0)) {
        reply.push_back(byte);
    }
    for (std::uint8_t byte : Word24Bytes(ViewPointCount)) {
        reply.push_back(byte);
    }
    reply.push_back(SysExEnd);
    AppendHeader(reply);
    AppendWords(reply, ViewPointCount);
    reply.push_back(SysExEnd);
    Parse(state, eps, reply, rrData);
}

} // namespace

BENCHMARK(DownloadData);
BENCHMARK(ViewData);
BENCHMARK_MAIN();
