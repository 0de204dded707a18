#include "cli/CliFrontEnd.h"

#include <algorithm>
#include <iostream>

#include "cli/SamplerTexts.h"

void TCliFrontEnd::SetTarget(int instrument, int waveSample) {
    TargetInstrument = instrument;
    TargetWaveSample = waveSample;
    TargetChoices = 0;
}

// Asked again only when the wavesample chosen first could not be read.
bool TCliFrontEnd::ChooseTarget(TTransferDirection direction) {
    if (++TargetChoices > 1) {
        Problem = MissingWaveSampleText(*Eps, TargetInstrument, TargetWaveSample);
        return false;
    }
    if (direction == tdUpload) {
        return ChooseUploadTarget();
    }
    Eps->Instrument = TargetInstrument;
    Eps->WaveSample = TargetWaveSample;
    return true;
}

// The sampler creates a missing wavesample in the instrument's first free
// slot, so only a used slot or that one can be a target: any other free
// slot would have the upload create wavesamples until memory ran out.
bool TCliFrontEnd::ChooseUploadTarget() {
    if (!ReadDirectory(*Eps, Problem)) {
        return false;
    }
    const auto i = static_cast<std::size_t>(TargetInstrument);
    const auto& used = Eps->WaveSampleUsed[i];
    const int firstFree = Eps->FirstFreeWaveSample[i] + 1;
    const std::string instrument = "instrument " + std::to_string(TargetInstrument + 1);
    int waveSample = TargetWaveSample == 0 ? firstFree : TargetWaveSample;
    if (TargetWaveSample == 0 && std::all_of(used.begin(), used.end(), [](bool u) { return u; })) {
        Problem = instrument + " has no free wavesample slot";
        return false;
    }
    if (!used[static_cast<std::size_t>(waveSample - 1)] && waveSample != firstFree) {
        Problem = instrument + " has no wavesample " + std::to_string(waveSample) +
                  ", and a new one goes into slot " + std::to_string(firstFree) + " (use " +
                  std::to_string(firstFree) + " or new)";
        return false;
    }
    Eps->Instrument = TargetInstrument;
    Eps->WaveSample = waveSample;
    return true;
}

std::string TCliFrontEnd::ChooseFile(TTransferDirection, const std::string&) {
    return FileChoice ? FileChoice() : std::string();
}

// On the output, before the progress: what is about to be sent.
void TCliFrontEnd::ShowFileInfo(const std::string& text) {
    std::cout << text << std::endl;
}

void TCliFrontEnd::BeginTransfer(const std::string&) {
    Interrupt.Begin();
    Progress.Begin(Label);
}

void TCliFrontEnd::ShowProgress(float secondsLeft, float percent) {
    Progress.Show(secondsLeft, percent);
}

void TCliFrontEnd::ShowStep(const std::string& text) {
    Progress.Relabel(text);
}

void TCliFrontEnd::ShowStall(int seconds) {
    Progress.ShowStall(seconds);
}

void TCliFrontEnd::EndTransfer() {
    Interrupt.End();
    Progress.End();
}

bool TCliFrontEnd::Cancelled() {
    return Interrupt.Interrupted();
}

TModalResult TCliFrontEnd::ShowConnectionFailure(NoEpsReason reason) {
    ConnectionFailure = reason;
    return mrCancel;
}

void TCliFrontEnd::ShowWarning(std::string_view text, TMessageCaption) {
    Warnings.emplace_back(text);
}
