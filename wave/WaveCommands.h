// The edit and marker commands of the main window on the selection, and
// Undo and Redo. The edits are carried out by the sampler: each goes through
// the engine's history, which has the sampler keep a copy of the range for
// undo, sends the request, waits for the sampler's answer and reads the view
// back, so that the picture shows what the sampler holds whether it agreed
// or not; when no answer comes at all it warns instead. The marker commands
// move one of the four addresses of the parameter block to the selection,
// kept in order with the others, and write the block back as a step of the
// history.
#pragma once

#include <cstdint>
#include <functional>

class TEps;
class TEpsOwner;
struct TWaveViewState;

class TWaveCommands {
public:
    TWaveCommands(TEps& eps, TEpsOwner& owner, const TWaveViewState& state);

    void ClearDataClick();
    void ReverseDataClick();
    void FadeInClick();
    void FadeOutClick();
    // The whole wavesample, whatever is selected.
    void NormalizeGainClick();

    void SetSampleStartClick();
    void SetSampleEndClick();
    void SetLoopStartClick();
    void SetLoopEndClick();

    void UndoClick();
    void RedoClick();

private:
    // An edit of the selection by one request.
    void Edit(const char* name, std::function<void(TEps&)> request);
    std::int32_t Address(int first) const;
    void SetMarker(const char* name, int first, std::int32_t sample);

    TEps& Eps;
    TEpsOwner& Owner;
    const TWaveViewState& State;
};
