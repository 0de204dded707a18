// The mouse in the wave box: dragging with the left button selects a range of
// display points, which is kept in samples and shown by inverting its columns
// on the picture; holding the right button plays the wavesample's note.
#pragma once

#include <Qt>

class TEps;
class TEpsOwner;
class TWaveBox;
struct TWaveViewState;

class TWaveSelection {
public:
    TWaveSelection(TEps& eps, TEpsOwner& owner, TWaveViewState& state, TWaveBox& box);

    void WaveBoxMouseDown(Qt::MouseButton button, int x, int y);
    void WaveBoxMouseMove(int x, int y);
    void WaveBoxMouseUp(Qt::MouseButton button, int x, int y);

    // The selection from the anchor and the current point of the drag.
    void UpdateSelection();
    // Undoes the inversion shown, if any, and inverts the selection's
    // columns.
    void DrawSelection();
    // The picture was drawn anew, without the inversion: shows the selection
    // again if there is one.
    void Repainted();
    // Forgets the selection without touching the picture; the caller
    // repaints.
    void Drop();

    // The right button is held and the note sounds.
    bool Playing() const { return NoteOn; }

private:
    // Points map to columns only in a box at least two columns wide.
    bool CanMapPoints() const;
    // The display point under column x, taken at the nearest edge when x
    // lies outside the box.
    int PointAt(int x) const;

    TEps& Eps;
    TEpsOwner& Owner;
    TWaveViewState& State;
    TWaveBox& Box;
    bool NoteOn = false;
};
