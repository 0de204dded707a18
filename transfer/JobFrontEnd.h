// A job of many transfers shown as one: the front end each transfer of a
// backup or a restore talks to. It answers the target and file choices
// itself, keeps the progress window up from the job's start to its end and
// turns each transfer's progress into the whole job's: wavesamples done of
// all, bytes, and the time left for the rest.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "eps/Eps.h"
#include "transfer/TimeLeft.h"
#include "transfer/TransferFrontEnd.h"

class TJobFrontEnd : public TTransferFrontEnd {
public:
    TJobFrontEnd(TEps& eps, TTransferFrontEnd& outer);

    // Shows the progress window for count transfers of words sample words
    // in all.
    void Begin(const std::string& caption, int count, std::uint64_t words);
    // The next transfer: its target, its file and how many words it moves.
    void Next(int instrument, int waveSample, const std::string& file, std::uint32_t words);
    // Another transfer of the same target and file, such as reading it back.
    void Again(std::uint32_t words);
    // Hides the progress window.
    void End();
    // How the last transfer ended.
    const TTransferReport& LastReport() const { return Last; }

    bool ChooseTarget(TTransferDirection direction) override;
    std::string ChooseFile(TTransferDirection direction, const std::string& initialFolder) override;
    // The job's progress line says where it stands; a line for each file
    // would push it away.
    void ShowFileInfo(const std::string&) override {}
    void BeginTransfer(const std::string&) override {}
    void ShowProgress(float secondsLeft, float percent) override;
    void ShowStep(const std::string& text) override { Outer.ShowStep(text); }
    void ShowStall(int seconds) override { Outer.ShowStall(seconds); }
    void EndTransfer() override {}
    // Once cancelled, the whole job is.
    bool Cancelled() override;
    void ProcessEvents() override { Outer.ProcessEvents(); }
    void TransferEnded(const TTransferReport& report) override { Last = report; }

private:
    using TClock = std::chrono::steady_clock;

    void ShowWhere(std::uint64_t done);

    TEps& Eps;
    TTransferFrontEnd& Outer;
    int Count = 0;
    std::uint64_t Words = 0;
    int Index = 0;
    std::uint64_t WordsBefore = 0;
    std::uint32_t CurrentWords = 0;
    int Instrument = 0;
    int WaveSample = 1;
    std::string File;
    bool TargetGiven = false;
    bool CancelSeen = false;
    TTransferReport Last;
    TClock::time_point Start;
    TClock::time_point LastProgress;
    TTimeLeft TimeLeft;
};
