// A front end for the transfer workflows that answers every choice at once
// and notes when the transfer loop began and ended, with the sampler's
// byte counts at those moments.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <utility>

#include "bench/CountingSampler.h"
#include "transfer/TransferFrontEnd.h"

class TBenchFrontEnd : public TTransferFrontEnd {
public:
    using TClock = std::chrono::steady_clock;

    TBenchFrontEnd(TEps& eps, TCountingSampler& sampler) : Eps(eps), Sampler(sampler) {}

    // The browser's answer as (instrument 0..7, wavesample).
    std::pair<int, int> Target{0, 1};
    std::string File;
    // Runs once the target is chosen, before the transfer starts.
    std::function<void()> OnTargetChosen;

    bool ChooseTarget(TTransferDirection) override {
        Eps.Instrument = Target.first;
        Eps.WaveSample = Target.second;
        if (OnTargetChosen) {
            OnTargetChosen();
        }
        return true;
    }
    std::string ChooseFile(TTransferDirection, const std::string&) override { return File; }
    void ShowStep(const std::string&) override {}
    void ShowFileInfo(const std::string& text) override { FileInfo = text; }
    void BeginTransfer(const std::string&) override {
        Began = Sampler.Counts();
        BeganCpu = ProcessSeconds();
        BeganAt = TClock::now();
    }
    void ShowProgress(float, float) override {}
    void ShowStall(int) override {}
    void EndTransfer() override {
        EndedAt = TClock::now();
        EndedCpu = ProcessSeconds();
        Ended = Sampler.Counts();
    }
    bool Cancelled() override { return false; }
    void ProcessEvents() override {}
    void TransferEnded(const TTransferReport& report) override { Report = report; }

    // Wall and processor time of the transfer loop, and the bytes that
    // crossed the cable meanwhile, both ways.
    double Seconds() const { return std::chrono::duration<double>(EndedAt - BeganAt).count(); }
    double CpuSeconds() const { return EndedCpu - BeganCpu; }
    std::uint64_t Bytes() const {
        return Ended.ToSampler + Ended.FromSampler - Began.ToSampler - Began.FromSampler;
    }

    TTransferReport Report;
    std::string FileInfo;

private:
    TEps& Eps;
    TCountingSampler& Sampler;
    TCountingSampler::TCounts Began;
    TCountingSampler::TCounts Ended;
    double BeganCpu = 0;
    double EndedCpu = 0;
    TClock::time_point BeganAt;
    TClock::time_point EndedAt;
};
