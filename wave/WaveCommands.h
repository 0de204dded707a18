// The edit and marker commands of the main window on the selection, and
// Undo and Redo. The edits are carried out by the sampler: each goes through
// the engine's history, which has the sampler keep a copy of the range for
// undo, sends the request, waits for the sampler's answer and reads the view
// back, so that the picture shows what the sampler holds whether it agreed
// or not; when no answer comes at all it warns instead. The marker commands
// move one of the four addresses of the parameter block to the selection,
// kept in order with the others, and write the block back as a step of the
// history; a marker dragged in the wave view follows the same rules.
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

    // The address marker first (wpSampleStart, wpSampleEnd, wpLoopStart or
    // wpLoopEnd) takes when moved to sample: the nearest one that keeps the
    // markers in order.
    std::int32_t AllowedAddress(int first, std::int32_t sample) const;
    // Moves marker first to AllowedAddress(first, sample) and writes the
    // block, as the marker commands do.
    void MoveMarker(int first, std::int32_t sample);

    void UndoClick();
    void RedoClick();

private:
    // An edit of the selection by one request.
    void Edit(const char* name, std::function<void(TEps&)> request);
    std::int32_t Address(int first) const;
    std::int32_t AllowedStart(std::int32_t sample) const;
    std::int32_t AllowedEnd(std::int32_t sample) const;
    std::int32_t AllowedLoopStart(std::int32_t sample) const;
    std::int32_t AllowedLoopEnd(std::int32_t sample) const;
    void SetMarker(int first, std::int32_t sample);
    static const char* MarkerName(int first);

    TEps& Eps;
    TEpsOwner& Owner;
    const TWaveViewState& State;
};
