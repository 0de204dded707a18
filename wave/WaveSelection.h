// The mouse in the wave box: dragging with the left button selects a range of
// display points, which is kept in samples and shown on the picture, its
// columns inverted or tinted as the look has it; a click without a drag
// clears the selection, and a click with Shift extends it to the point
// clicked. Holding the right button plays the wavesample's note.
#pragma once

#include <Qt>

#include <cstdint>

class TEps;
class TEpsOwner;
class TWaveBox;
struct TWaveViewState;

class TWaveSelection {
public:
    TWaveSelection(TEps& eps, TEpsOwner& owner, TWaveViewState& state, TWaveBox& box);

    void WaveBoxMouseDown(Qt::MouseButton button, int x, int y, Qt::KeyboardModifiers modifiers);
    void WaveBoxMouseMove(int x, int y);
    void WaveBoxMouseUp(Qt::MouseButton button, int x, int y);

    // The selection from the anchor and the current point of the drag.
    void UpdateSelection();
    // Shows the selection's columns in place of those shown before.
    void DrawSelection();
    // The picture was drawn anew, without the selection: shows it again if
    // there is one.
    void Repainted();
    // Forgets the selection without touching the picture; the caller
    // repaints.
    void Drop();
    // Forgets the selection, ends a drag and repaints.
    void Clear();
    // Selects samples first..last (last included).
    void Select(std::int32_t first, std::int32_t last);
    // The whole wavesample.
    void SelectAll();
    // Moves the selection's end nearer to first..last so that the selection
    // takes them in; nothing without a selection.
    void ExtendTo(std::int32_t first, std::int32_t last);

    // The right button is held and the note sounds.
    bool Playing() const { return NoteOn; }

private:
    // Points map to columns only in a box at least two columns wide.
    bool CanMapPoints() const;
    // The display point under column x, taken at the nearest edge when x
    // lies outside the box.
    int PointAt(int x) const;
    // The first sample of display point p of the window.
    std::int32_t PointSample(int p) const;

    TEps& Eps;
    TEpsOwner& Owner;
    TWaveViewState& State;
    TWaveBox& Box;
    bool NoteOn = false;
    // Where the left button went down, and whether the mouse has gone
    // farther from there than a click's slack since.
    int PressColumn = 0;
    bool Moved = false;
};
