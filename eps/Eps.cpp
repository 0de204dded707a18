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

void TEps::EndCancelledExchange() {
    DebugWriteLn(DebugDevice, "Cancelled");
    CancelledFlag = true;
    MidiIn->Resume();
    ExchangeGivenUp();
}

// The answer to what was given up must not be taken for the answer to the
// next request. A sampler still working on it answers when it is done,
// between its wait responses, and only then takes the next request: once
// the input has been quiet for longer than the sampler's pause between wait
// responses, nothing is owed any more.
void TEps::SettleOwedAnswer() {
    if (!AnswerOwed || !MidiIn->IsOpen()) {
        return;
    }
    AnswerOwed = false;
    TBusy busy(*this);
    SettleInput(OwedAnswerPause, ReplyTimeLimit);
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
