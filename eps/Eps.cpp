#include "eps/Eps.h"

#include <algorithm>

#include "debug/DebugDevice.h"

namespace {

// Longer than the pause a working sampler leaves between wait responses.
constexpr auto OwedAnswerPause = std::chrono::milliseconds(300);

} // namespace

TEps::TEps(TEpsOwner* owner, TEpsDialogs* dialogs)
    : MidiIn(std::make_unique<TMidiIn>()), MidiOut(std::make_unique<TMidiOut>()), Owner(owner),
      Dialogs(dialogs) {
    ResetWaveSampleParameters();
    if (Owner != nullptr) {
        MidiIn->WhileWaiting = [this] { return OwnerWantsWaiting(); };
    }
}

// Out of line so that the ports close before the rest of the engine goes.
TEps::~TEps() = default;

void TEps::SetBlockSize(int words) {
    BlockSizeValue = std::clamp(words, MinBlockSize, MaxBlockSize);
}

void TEps::SetDelay(int milliseconds) {
    DelayValue = std::clamp(milliseconds, 0, MaxDelay);
}

void TEps::ResetWaveSampleParameters() {
    WaveSampleParameters = DefaultWaveSampleParameters;
}

std::int32_t TEps::GetSampleAddress(int first) const {
    return SampleAddressOf(WaveSampleParameters, first);
}

void TEps::SetSampleAddress(int first, std::int32_t sample) {
    SetSampleAddressOf(WaveSampleParameters, first, sample);
}

int TEps::GetPlayKey() const {
    return PlayKeyOf(WaveSampleParameters);
}

TEps::TBusy::TBusy(TEps& eps) : Eps(eps) {
    const bool outermost = Eps.BusyDepth++ == 0;
    if (outermost) {
        Eps.CancelledFlag = false;
    }
    if (Eps.Owner != nullptr) {
        Eps.Owner->BeginBusy();
    }
    if (outermost && Eps.AnswerOwed) {
        Eps.TakeOwedAnswer();
    }
}

TEps::TBusy::~TBusy() {
    if (--Eps.BusyDepth == 0 && Eps.MidiIn->Interrupted()) {
        Eps.EndCancelledExchange();
    }
    if (Eps.Owner != nullptr) {
        Eps.Owner->EndBusy();
    }
}

// Outside a busy exchange the owner has not set itself up for a Cancel.
bool TEps::OwnerWantsWaiting() {
    return BusyDepth == 0 || Owner->ContinueWaiting();
}

// The sampler may still answer what was given up: those replies must not be
// taken for answers to the next request.
void TEps::EndCancelledExchange() {
    DebugWriteLn(DebugDevice, "Cancelled");
    CancelledFlag = true;
    MidiIn->Resume();
    SettleInput();
    AnswerOwed = true;
}

// A sampler that was still working on a cancelled request answers it when it
// is done, between its wait responses, and only then takes the next request:
// that answer comes first. Within a pause longer than the sampler leaves
// between wait responses nothing came, so nothing is owed any more.
void TEps::TakeOwedAnswer() {
    AnswerOwed = false;
    if (MidiIn->IsOpen() && MidiIn->WaitForInput(1, OwedAnswerPause)) {
        ProcessInput();
    }
}

void TEps::UpdateCommands() {
    if (Owner != nullptr) {
        Owner->UpdateCommands();
    }
}

void TEps::UpdateView() {
    if (Owner != nullptr) {
        Owner->UpdateView();
    }
}
