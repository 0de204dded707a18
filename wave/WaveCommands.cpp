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
    Edit("Clear Data", [start = State.SelStart, end = State.Selection().End()](TEps& eps) {
        eps.ClearData(start, end);
    });
}

void TWaveCommands::ReverseDataClick() {
    Edit("Reverse Data", [start = State.SelStart, end = State.Selection().End()](TEps& eps) {
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
    Edit("Fade Out", [start = State.SelStart, end = State.Selection().End()](TEps& eps) {
        eps.FadeOut(start, end, FadeShape);
    });
}

// The sampler normalizes up to the end address, which a marker command may
// have moved past the data the wavesample opened with.
void TWaveCommands::NormalizeGainClick() {
    const TSampleRange whole{0, std::max(Address(wpSampleEnd), Eps.LastSample)};
    Eps.History.Edit("Normalize Gain", whole, [](TEps& eps) {
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
    Eps.History.Edit(name, State.Selection(), [request](TEps& eps) {
        request(eps);
        return eps.WaitForReply();
    });
}

std::int32_t TWaveCommands::Address(int first) const {
    return Eps.GetSampleAddress(first);
}

// The name of a marker's step in the undo history.
const char* TWaveCommands::MarkerName(int first) {
    switch (first) {
    case wpSampleStart:
        return "Set Sample Start";
    case wpSampleEnd:
        return "Set Sample End";
    case wpLoopStart:
        return "Set Loop Start";
    default:
        return "Set Loop End";
    }
}

void TWaveCommands::SetSampleStartClick() {
    MoveMarker(wpSampleStart, State.SelStart);
}

void TWaveCommands::SetSampleEndClick() {
    MoveMarker(wpSampleEnd, State.SelEnd);
}

void TWaveCommands::SetLoopStartClick() {
    MoveMarker(wpLoopStart, State.SelStart);
}

void TWaveCommands::SetLoopEndClick() {
    MoveMarker(wpLoopEnd, State.SelEnd);
}

// A marker pushed back in front of the first sample (a wavesample of one
// sample) stays on the first sample: an address below 0 does not exist.
std::int32_t TWaveCommands::AllowedAddress(int first, std::int32_t sample) const {
    std::int32_t address = sample;
    switch (first) {
    case wpSampleStart:
        address = AllowedStart(sample);
        break;
    case wpSampleEnd:
        address = AllowedEnd(sample);
        break;
    case wpLoopStart:
        address = AllowedLoopStart(sample);
        break;
    case wpLoopEnd:
        address = AllowedLoopEnd(sample);
        break;
    default:
        break;
    }
    return std::max(address, 0);
}

void TWaveCommands::MoveMarker(int first, std::int32_t sample) {
    SetMarker(first, AllowedAddress(first, sample));
}

// The start stays before the end.
std::int32_t TWaveCommands::AllowedStart(std::int32_t sample) const {
    const std::int32_t end = Address(wpSampleEnd);
    return sample < end ? sample : end - 1;
}

// The end stays after the start and, in a loop mode, does not cut the loop;
// both name their last sample, so the loop may end where the sample does.
std::int32_t TWaveCommands::AllowedEnd(std::int32_t sample) const {
    const std::int32_t start = Address(wpSampleStart);
    const std::int32_t end = start < sample ? sample : start + 1;
    return IsLoopMode(Eps) ? std::max(end, Address(wpLoopEnd)) : end;
}

// The loop start stays before the loop end and before the end.
std::int32_t TWaveCommands::AllowedLoopStart(std::int32_t sample) const {
    const std::int32_t loopEnd = Address(wpLoopEnd);
    const std::int32_t end = Address(wpSampleEnd);
    std::int32_t loopStart = sample < loopEnd ? sample : loopEnd - 1;
    if (loopStart >= end) {
        loopStart = end - 1;
    }
    return loopStart;
}

// The loop end stays after the loop start and at the end at the latest.
std::int32_t TWaveCommands::AllowedLoopEnd(std::int32_t sample) const {
    const std::int32_t loopStart = Address(wpLoopStart);
    const std::int32_t loopEnd = loopStart < sample ? sample : loopStart + 1;
    return std::min(loopEnd, Address(wpSampleEnd));
}

// The markers are drawn from the block, so nothing is read back.
void TWaveCommands::SetMarker(int first, std::int32_t sample) {
    TWaveSampleBlock changed = Eps.WaveSampleParameters;
    SetSampleAddressOf(changed, first, sample);
    Eps.History.ChangeParameters(MarkerName(first), changed);
    Owner.UpdateCommands();
    Owner.UpdateView();
}
