// Downloads and uploads against a virtual sampler, through the real engine,
// ports, Vorrin and MIDI layer, with a front end that answers the choices
// from a script and records what the workflow showed.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "emulator/VirtualEpsPeer.h"
#include "eps/Eps.h"
#include "platform/Utf8.h"
#include "tests/support/TraceCapture.h"
#include "transfer/TransferFrontEnd.h"

// A virtual sampler of its own for each test, under a name of its own.
class TTestSampler : public TMidiLocalPeer {
public:
    static constexpr const char* DeviceName = "Transfer EPS";

    explicit TTestSampler(const TSamplerOptions& options) : Inner(options) {}

    std::string Name() const override { return DeviceName; }
    void Connect(TMidiByteSink* toProgram) override { Inner.Connect(toProgram); }
    void FromProgram(const std::uint8_t* data, std::size_t count) override {
        Inner.FromProgram(data, count);
    }

    TVirtualSampler& Sampler() { return Inner.Sampler(); }

private:
    TVirtualEpsPeer Inner;
};

class TScriptedFrontEnd : public TTransferFrontEnd, public TEpsDialogs {
public:
    // The engine whose target the browser sets.
    TEps* Eps = nullptr;
    // The browser's answers in turn, as (instrument 0..7, wavesample); once
    // they are used up the browser is cancelled.
    std::vector<std::pair<int, int>> Targets;
    std::string File;
    // Runs on every pass of the transfer loop.
    std::function<void()> OnEvents;
    bool CancelRequested = false;

    int TargetChoices = 0;
    int FileChoices = 0;
    std::string InitialFolder;
    std::string Caption;
    bool Showing = false;
    std::vector<std::pair<float, float>> Progress;
    std::vector<int> Stalls;
    std::vector<std::string> Steps;
    std::vector<std::string> FileInfos;
    std::vector<TTransferReport> Reports;
    std::vector<std::string> Warnings;

    bool ChooseTarget(TTransferDirection direction) override;
    std::string ChooseFile(TTransferDirection direction, const std::string& initialFolder) override;
    void BeginTransfer(const std::string& caption) override;
    void ShowProgress(float secondsLeft, float percent) override;
    void ShowStep(const std::string& text) override { Steps.push_back(text); }
    void ShowFileInfo(const std::string& text) override { FileInfos.push_back(text); }
    void ShowStall(int seconds) override;
    void EndTransfer() override { Showing = false; }
    bool Cancelled() override { return CancelRequested; }
    void ProcessEvents() override;
    void TransferEnded(const TTransferReport& report) override { Reports.push_back(report); }

    TModalResult ShowConnectionFailure(NoEpsReason) override { return mrCancel; }
    void ShowWarning(std::string_view text, TMessageCaption) override {
        Warnings.emplace_back(text);
    }
};

using TSamples = std::vector<std::int16_t>;

class TransferTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A fresh sampler with these options; the engine's ports set to it.
    void Restart(const TSamplerOptions& options);
    TVirtualSampler& Sampler() { return Peer->Sampler(); }

    TTransferReport Download(int instrument, int waveSample, const std::string& file);
    TTransferReport Upload(const std::string& file, int instrument, int waveSample);

    // Puts a wavesample with this data and these addresses into a slot,
    // making the instrument and its layer when they are missing.
    void Place(int instrument, int number, const TSamples& data, std::uint32_t start,
               std::uint32_t end);
    // The sampler's data of a wavesample from start to end (exclusive).
    TSamples DataOf(int instrument, int number, std::size_t start, std::size_t end);
    // A copy of the wavesample; empty when there is none.
    std::optional<TWaveSample> WaveSampleAt(int instrument, int number);
    std::string InstrumentNameOf(int instrument);
    // The sampler's log of handled requests so far.
    std::vector<std::string> SamplerLog();
    // Log lines that begin with prefix.
    std::vector<std::string> SamplerLog(const std::string& prefix);

    std::string Path(const std::string& name) const {
        return TUtf8::Text(Folder / TUtf8::Path(name));
    }

    TTraceCapture Trace;
    std::filesystem::path Folder;
    std::shared_ptr<TTestSampler> Peer;
    TScriptedFrontEnd FrontEnd;
    std::unique_ptr<TEps> Eps;
    std::string UploadDownloadPath;

private:
    void StopSampler();

    std::mutex LogMutex;
    std::vector<std::string> Log;
};

// A wavesample's words in the sampler as the engine holds a block.
TWaveSampleBlock WordsOf(const TWaveSample& waveSample);
// A PCM WAVE file of the given layout around these sample bytes.
void WriteWaveFile(const std::string& path, std::uint16_t channels, std::uint16_t bits,
                   std::uint32_t rate, const std::vector<std::uint8_t>& data);
// A file's bytes, and a file of these bytes: for a test that edits or
// damages a file as another program would.
std::vector<std::uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
// Where the body of a file's first chunk tagged tag begins; 0 when it has
// none.
std::size_t ChunkOfWaveFile(const std::vector<std::uint8_t>& bytes, const char* tag);
// Overwrites count bytes at `at` with value, little-endian.
void SetLittle(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value, int count);
// The rate in the header and the samples of a mono 16-bit file.
std::uint32_t RateOfWaveFile(const std::string& path);
TSamples SamplesOfWaveFile(const std::string& path);
// The samples a mono 16-bit file's header announces; 0 when its RIFF or
// data size does not match the file's length.
std::uint32_t AnnouncedSamplesOfWaveFile(const std::string& path);
std::uintmax_t FileSize(const std::string& path);
// Counts the lines of text that are exactly line.
int CountLines(const std::string& text, const std::string& line);
