#include "wave/WaveSelection.h"

#include <algorithm>

#include "eps/Eps.h"
#include "wave/PointMapping.h"
#include "wave/WaveBox.h"
#include "wave/WaveViewState.h"

TWaveSelection::TWaveSelection(TEps& eps, TEpsOwner& owner, TWaveViewState& state, TWaveBox& box)
    : Eps(eps), Owner(owner), State(state), Box(box) {}

// While the note sounds the box answers nothing else, as the sampler would
// otherwise be asked for more while it plays.
void TWaveSelection::WaveBoxMouseDown(Qt::MouseButton button, int x, int) {
    if (!Eps.WaveSampleOpen || NoteOn) {
        return;
    }
    if (button == Qt::LeftButton && CanMapPoints()) {
        State.Dragging = true;
        State.AnchorPoint = State.CurrentPoint = PointAt(x);
        UpdateSelection();
    } else if (button == Qt::RightButton) {
        NoteOn = true;
        Eps.PlayNoteOn();
    }
}

void TWaveSelection::WaveBoxMouseMove(int x, int) {
    if (!State.Dragging || NoteOn || !CanMapPoints()) {
        return;
    }
    State.CurrentPoint = PointAt(x);
    UpdateSelection();
}

void TWaveSelection::WaveBoxMouseUp(Qt::MouseButton button, int, int) {
    if (button == Qt::LeftButton) {
        State.Dragging = false;
    } else if (button == Qt::RightButton && NoteOn) {
        NoteOn = false;
        Eps.PlayNoteOff();
    }
}

bool TWaveSelection::CanMapPoints() const {
    return Box.width() >= 2;
}

int TWaveSelection::PointAt(int x) const {
    return PointIndex(std::clamp(x, 0, Box.width() - 1), Box.width());
}

void TWaveSelection::UpdateSelection() {
    const int low = std::min(State.AnchorPoint, State.CurrentPoint);
    const int high = std::max(State.AnchorPoint, State.CurrentPoint);
    State.SelStart = Eps.ViewStart + low * Eps.SamplesPerPoint;
    State.SelEnd = Eps.ViewStart + (high + 1) * Eps.SamplesPerPoint - 1;
    State.HasSelection = true;
    Owner.UpdateCommands();
    DrawSelection();
}

// The selection is drawn in the window as it is now: after a zoom out the
// same samples cover fewer columns, and parts outside the window are cut off
// by the picture's edges.
void TWaveSelection::DrawSelection() {
    if (State.SelectionDrawn) {
        Box.InvertColumns(State.DrawnLeft, State.DrawnRight + 1);
    }
    const int width = Box.width();
    const std::int32_t first = (State.SelStart - Eps.ViewStart) / Eps.SamplesPerPoint;
    const std::int32_t last = (State.SelEnd - Eps.ViewStart + 1) / Eps.SamplesPerPoint - 1;
    const int left = PointColumn(first, width);
    const int right = std::max(PointColumn(last, width), left);
    Box.InvertColumns(left, right + 1);
    State.SelectionDrawn = true;
    State.DrawnLeft = left;
    State.DrawnRight = right;
}

void TWaveSelection::Repainted() {
    State.SelectionDrawn = false;
    if (State.HasSelection && Eps.WaveSampleOpen) {
        DrawSelection();
    }
}

void TWaveSelection::Drop() {
    State.HasSelection = false;
    Owner.UpdateCommands();
}
