#include "wave/WaveCommands.h"

#include <algorithm>

#include "eps/Eps.h"
#include "wave/LoopMode.h"
#include "wave/WaveViewState.h"

namespace {

// The fades are linear whatever this byte says.
constexpr int FadeShape = 0;

} // namespace

TWaveCommands::TWaveCommands(TEps& eps, TEpsOwner& owner, const TWaveViewState& state)
    : Eps(eps), Owner(owner), State(state) {}

// The requests take an exclusive end; the selection's end is inclusive.
void TWaveCommands::ClearDataClick() {
    Edit("Clear Data", [start = State.SelStart, end = State.SelEnd + 1](TEps& eps) {
        eps.ClearData(start, end);
    });
}

void TWaveCommands::ReverseDataClick() {
    Edit("Reverse Data", [start = State.SelStart, end = State.SelEnd + 1](TEps& eps) {
        eps.ReverseData(start, end);
    });
}

// The fade in ends at the last selected sample itself: the sampler reaches
// full gain there rather than one sample later.
void TWaveCommands::FadeInClick() {
    Edit("Fade In", [start = State.SelStart, end = State.SelEnd](TEps& eps) {
        eps.FadeIn(start, end, FadeShape);
    });
}

void TWaveCommands::FadeOutClick() {
    Edit("Fade Out", [start = State.SelStart, end = State.SelEnd + 1](TEps& eps) {
        eps.FadeOut(start, end, FadeShape);
    });
}

// The sampler normalizes up to the end address, which a marker command may
// have moved past the data the wavesample opened with.
void TWaveCommands::NormalizeGainClick() {
    const std::int32_t end = std::max(Address(wpSampleEnd), Eps.LastSample) + 1;
    Eps.History.Edit("Normalize Gain", 0, end, [](TEps& eps) {
        eps.NormalizeGain();
        return eps.WaitForReply();
    });
}

void TWaveCommands::UndoClick() {
    Eps.History.Undo();
}

void TWaveCommands::RedoClick() {
    Eps.History.Redo();
}

// The undo copy covers the whole selection, also where a fade in stops one
// sample short of it.
void TWaveCommands::Edit(const char* name, std::function<void(TEps&)> request) {
    Eps.History.Edit(name, State.SelStart, State.SelEnd + 1, [request](TEps& eps) {
        request(eps);
        return eps.WaitForReply();
    });
}

std::int32_t TWaveCommands::Address(int first) const {
    return Eps.GetSampleAddress(first);
}

// The start stays before the end.
void TWaveCommands::SetSampleStartClick() {
    const std::int32_t end = Address(wpSampleEnd);
    SetMarker("Set Sample Start", wpSampleStart, State.SelStart < end ? State.SelStart : end - 1);
}

// The end stays after the start and, in a loop mode, does not cut the loop.
void TWaveCommands::SetSampleEndClick() {
    const std::int32_t start = Address(wpSampleStart);
    std::int32_t end = start < State.SelEnd ? State.SelEnd : start + 1;
    const std::int32_t loopEnd = Address(wpLoopEnd);
    if (IsLoopMode(Eps) && end < loopEnd) {
        end = loopEnd + 1;
    }
    SetMarker("Set Sample End", wpSampleEnd, end);
}

// The loop start stays before the loop end and before the end.
void TWaveCommands::SetLoopStartClick() {
    const std::int32_t loopEnd = Address(wpLoopEnd);
    const std::int32_t end = Address(wpSampleEnd);
    std::int32_t loopStart = State.SelStart < loopEnd ? State.SelStart : loopEnd - 1;
    if (loopStart >= end) {
        loopStart = end - 1;
    }
    SetMarker("Set Loop Start", wpLoopStart, loopStart);
}

// The loop end stays after the loop start and before the end.
void TWaveCommands::SetLoopEndClick() {
    const std::int32_t loopStart = Address(wpLoopStart);
    const std::int32_t end = Address(wpSampleEnd);
    std::int32_t loopEnd = loopStart < State.SelEnd ? State.SelEnd : loopStart + 1;
    if (loopEnd >= end) {
        loopEnd = end - 1;
    }
    SetMarker("Set Loop End", wpLoopEnd, loopEnd);
}

// A marker pushed back in front of the first sample (a wavesample of one
// sample) stays on the first sample: an address below 0 does not exist.
// The markers are drawn from the block, so nothing is read back.
void TWaveCommands::SetMarker(const char* name, int first, std::int32_t sample) {
    TWaveSampleBlock changed = Eps.WaveSampleParameters;
    SetSampleAddressOf(changed, first, std::max(sample, 0));
    Eps.History.ChangeParameters(name, changed);
    Owner.UpdateCommands();
    Owner.UpdateView();
}
