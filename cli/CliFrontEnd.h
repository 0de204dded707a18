// The transfers' front end on the command line: the target and the file come
// from the arguments, the progress goes to the terminal, Ctrl+C cancels a
// transfer, and the engine's dialogs become reasons to report.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/InterruptWatch.h"
#include "cli/TerminalProgress.h"
#include "eps/Eps.h"
#include "transfer/TransferFrontEnd.h"

class TCliFrontEnd : public TTransferFrontEnd, public TEpsDialogs {
public:
    // The engine is set once it exists: it is made with the dialogs.
    TEps* Eps = nullptr;

    // The target the next transfer takes: instrument 0..7, wavesample
    // 1..127, or 0 for the instrument's first free slot (uploads).
    void SetTarget(int instrument, int waveSample);
    // The file the next transfer takes; for a download it may be chosen
    // from the wavesample's parameters, which are known by then. Empty
    // declines the transfer, after setting Problem.
    std::function<std::string()> FileChoice;
    std::string Label;

    // Why the front end declined a choice, for the user.
    std::string Problem;
    std::optional<NoEpsReason> ConnectionFailure;
    // The engine's warnings (the sampler's refusals it explains).
    std::vector<std::string> Warnings;

    bool ChooseTarget(TTransferDirection direction) override;
    std::string ChooseFile(TTransferDirection direction, const std::string& initialFolder) override;
    void ShowFileInfo(const std::string& text) override;
    void BeginTransfer(const std::string& caption) override;
    void ShowProgress(float secondsLeft, float percent) override;
    void ShowStep(const std::string& text) override;
    void ShowStall(int seconds) override;
    void EndTransfer() override;
    bool Cancelled() override;
    // Nothing waits to be served: Ctrl+C sets the flag by itself, and the
    // transfer sleeps while it waits for the sampler.
    void ProcessEvents() override {}
    void TransferEnded(const TTransferReport&) override {}

    TModalResult ShowConnectionFailure(NoEpsReason reason) override;
    void ShowWarning(std::string_view text, TMessageCaption caption) override;

private:
    bool ChooseUploadTarget();

    int TargetInstrument = 0;
    int TargetWaveSample = 1;
    int TargetChoices = 0;
    TTerminalProgress Progress;
    TInterruptWatch Interrupt;
};
