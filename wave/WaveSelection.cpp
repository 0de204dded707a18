#include "wave/WaveSelection.h"

#include <algorithm>
#include <cstdlib>

#include "eps/Eps.h"
#include "wave/PointMapping.h"
#include "wave/WaveBox.h"
#include "wave/WaveColours.h"
#include "wave/WaveViewState.h"

namespace {

// How far, in pixels, the mouse may stray between press and release of a
// click.
constexpr int ClickSlack = 2;

} // namespace

TWaveSelection::TWaveSelection(TEps& eps, TEpsOwner& owner, TWaveViewState& state, TWaveBox& box)
    : Eps(eps), Owner(owner), State(state), Box(box) {}

// While the note sounds the box answers nothing else, as the sampler would
// otherwise be asked for more while it plays.
void TWaveSelection::WaveBoxMouseDown(Qt::MouseButton button, int x, int,
                                      Qt::KeyboardModifiers modifiers) {
    if (!Eps.WaveSampleOpen || NoteOn) {
        return;
    }
    if (button == Qt::LeftButton && CanMapPoints() && modifiers.testFlag(Qt::ShiftModifier) &&
        State.HasSelection) {
        const int point = PointAt(x);
        ExtendTo(PointSample(point), PointSample(point + 1) - 1);
    } else if (button == Qt::LeftButton && CanMapPoints()) {
        State.Dragging = true;
        PressColumn = x;
        Moved = false;
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
    Moved = Moved || std::abs(x - PressColumn) > ClickSlack;
    State.CurrentPoint = PointAt(x);
    UpdateSelection();
}

void TWaveSelection::WaveBoxMouseUp(Qt::MouseButton button, int, int) {
    if (button == Qt::LeftButton) {
        if (State.Dragging && !Moved) {
            Clear();
        }
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

std::int32_t TWaveSelection::PointSample(int p) const {
    return Eps.ViewStart + p * Eps.SamplesPerPoint;
}

void TWaveSelection::UpdateSelection() {
    const int low = std::min(State.AnchorPoint, State.CurrentPoint);
    const int high = std::max(State.AnchorPoint, State.CurrentPoint);
    Select(PointSample(low), PointSample(high + 1) - 1);
}

void TWaveSelection::Select(std::int32_t first, std::int32_t last) {
    State.SelStart = first;
    State.SelEnd = last;
    State.HasSelection = true;
    Owner.UpdateCommands();
    DrawSelection();
}

void TWaveSelection::SelectAll() {
    if (Eps.WaveSampleOpen) {
        Select(0, Eps.LastSample);
    }
}

// The end that lies nearer moves: before the selection that is its start,
// after it its end, inside it whichever is closer.
void TWaveSelection::ExtendTo(std::int32_t first, std::int32_t last) {
    if (!State.HasSelection) {
        return;
    }
    if (first - State.SelStart < State.SelEnd - last) {
        Select(first, State.SelEnd);
    } else {
        Select(State.SelStart, last);
    }
}

// The selection is drawn in the window as it is now: after a zoom out the
// same samples cover fewer columns, and parts outside the window are cut off
// by the picture's edges. In the classic colours its columns are turned
// over; in the desktop's the wave shows through a tint.
void TWaveSelection::DrawSelection() {
    const QColor fill = TWaveColours::Of(State.Look).SelectionFill;
    if (State.SelectionDrawn && !fill.isValid()) {
        Box.InvertColumns(State.DrawnLeft, State.DrawnRight + 1);
    }
    const int width = Box.width();
    const std::int32_t first = (State.SelStart - Eps.ViewStart) / Eps.SamplesPerPoint;
    const std::int32_t last = (State.SelEnd - Eps.ViewStart + 1) / Eps.SamplesPerPoint - 1;
    const int left = PointColumn(first, width);
    const int right = std::max(PointColumn(last, width), left);
    if (fill.isValid()) {
        Box.TintColumns(left, right + 1, fill);
    } else {
        Box.InvertColumns(left, right + 1);
    }
    State.SelectionDrawn = true;
    State.DrawnLeft = left;
    State.DrawnRight = right;
}

void TWaveSelection::Repainted() {
    State.SelectionDrawn = false;
    Box.TintColumns(0, 0, {});
    if (State.HasSelection && Eps.WaveSampleOpen) {
        DrawSelection();
    }
}

void TWaveSelection::Drop() {
    State.HasSelection = false;
    Owner.UpdateCommands();
}

void TWaveSelection::Clear() {
    State.Dragging = false;
    Drop();
    Owner.UpdateView();
}
