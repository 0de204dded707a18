#include "wave/WaveView.h"

#include <QEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <cmath>
#include <optional>

#include "eps/Eps.h"
#include "wave/WaveArea.h"
#include "wave/WaveBox.h"
#include "wave/WavePicture.h"
#include "wave/WaveRuler.h"
#include "wave/WaveViewState.h"

namespace {

std::optional<TScrollCode> ScrollCodeOf(int action) {
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        return scLineUp;
    case QAbstractSlider::SliderSingleStepAdd:
        return scLineDown;
    case QAbstractSlider::SliderPageStepSub:
        return scPageUp;
    case QAbstractSlider::SliderPageStepAdd:
        return scPageDown;
    case QAbstractSlider::SliderMove:
        return scTrack;
    case QAbstractSlider::SliderToMinimum:
        return scTop;
    case QAbstractSlider::SliderToMaximum:
        return scBottom;
    default:
        return std::nullopt;
    }
}

} // namespace

TWaveView::TWaveView(TEps& eps, TEpsOwner& owner, TWaveViewState& state, TWaveArea& area,
                     TWaveCommands& commands)
    : Selection(eps, owner, state, *area.Box), Markers(eps, owner, commands, *area.Box), Eps(eps),
      State(state), Area(area), Box(*area.Box), ScrollBar(*area.ScrollBar),
      Navigator(eps, *area.Box) {
    Area.Ruler->SetSource([this](const QFontMetrics& metrics) {
        return SampleAxisMarks(Eps, State.RulerUnit, Box.width(), metrics);
    });
    Area.AmplitudeScale->SetSource([this](const QFontMetrics& metrics) {
        return Eps.WaveSampleOpen ? AmplitudeMarks(State.VScale, Box.height(), metrics)
                                  : std::vector<TRulerMark>{};
    });
    connect(&Box, &TWaveBox::Paint, this, &TWaveView::WaveBoxPaint);
    connect(&Box, &TWaveBox::MouseDown, this, &TWaveView::MouseDown);
    connect(&Box, &TWaveBox::MouseMove, this, [this](int x, int y) {
        if (!Markers.Follow(x, y)) {
            Selection.WaveBoxMouseMove(x, y);
        }
    });
    connect(&Box, &TWaveBox::MouseUp, this, [this](Qt::MouseButton button, int x, int y) {
        if (button != Qt::LeftButton || !Markers.Drop(x)) {
            Selection.WaveBoxMouseUp(button, x, y);
        }
    });
    connect(&ScrollBar, &QScrollBar::actionTriggered, this, &TWaveView::ScrollBarAction);
    ScrollBar.installEventFilter(this);
    Box.installEventFilter(this);
    connect(&ScrollBar, &QScrollBar::sliderReleased, this, [this] {
        ScrollBar.setValue(ScrollBarScroll(scPosition, ScrollBar.sliderPosition()));
    });
}

void TWaveView::UpdateView() {
    const bool open = Eps.WaveSampleOpen;
    const TWaveColours colours = TWaveColours::Of(State.Look);
    QPalette palette = Area.palette();
    palette.setColor(QPalette::Window, open ? colours.Background : colours.ClosedBackground);
    Area.setPalette(palette);
    Area.Ruler->SetColour(colours.Ruler);
    Area.AmplitudeScale->SetColour(colours.Ruler);
    ScrollBar.setVisible(open && Eps.Zoomed);
    if (open) {
        ScrollBar.setValue(ScrollPosition());
        Area.update();
    }
    Box.Invalidate();
}

int TWaveView::ScrollPosition() const {
    const std::int32_t span = ViewPointCount * Eps.SamplesPerPoint;
    const std::int32_t length = Eps.LastSample + 1;
    if (length <= span) {
        return 0;
    }
    return static_cast<int>(std::trunc(double(Eps.ViewStart) / (length - span) * ScrollRange));
}

void TWaveView::WaveBoxPaint(TWaveCanvas& canvas) {
    const TWaveColours colours = TWaveColours::Of(State.Look);
    TWavePicture(canvas, Eps, colours, State.VScale, Box.width(), Box.height()).Draw();
    Selection.Repainted();
}

// The selection's last sample is passed as the window's end; the engine then
// widens the window to whole pages. The selection stays, to be edited or
// zoomed into further.
void TWaveView::ZoomIn() {
    Eps.SetViewEnd(State.SelEnd);
    Eps.SetViewStart(State.SelStart);
    Eps.RefreshView();
    UpdateView();
}

// Twice as wide about the same centre, pushed back inside the wavesample at
// either end.
void TWaveView::ZoomOut() {
    const std::int32_t span = ViewPointCount * Eps.SamplesPerPoint;
    Eps.SetViewStart(Eps.ViewStart - span / 2);
    Eps.SetViewEnd(Eps.ViewStart + 2 * span);
    Eps.SetViewStart(Eps.ViewEnd - 2 * span);
    Eps.RefreshView();
}

void TWaveView::ShowAll() {
    Eps.SetViewStart(0);
    Eps.SetViewEnd(Eps.LastSample + 1);
    Eps.RefreshView();
    UpdateView();
}

// A press on a marker takes it rather than starting a selection; with
// Shift it extends the selection even there.
void TWaveView::MouseDown(Qt::MouseButton button, int x, int y, Qt::KeyboardModifiers modifiers) {
    const bool onMarker = button == Qt::LeftButton && !modifiers.testFlag(Qt::ShiftModifier) &&
                          !Selection.Playing() && Markers.Grab(x, y);
    if (!onMarker) {
        Selection.WaveBoxMouseDown(button, x, y, modifiers);
    }
}

// A wheel turned over the scroll bar would move its thumb as if dragged, yet
// no release follows to move the window there: the thumb would stand where
// the window is not. There, as over the box, the wheel moves the window
// itself.
bool TWaveView::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == &ScrollBar || watched == &Box) && event->type() == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        WheelTurned(*wheel, Box.mapFromGlobal(wheel->globalPosition()).toPoint().x());
        return true;
    }
    return QObject::eventFilter(watched, event);
}

// A selection being dragged was made in points of the window as it is, and
// the note held must not be joined by a read: the wheel waits for the
// button.
void TWaveView::WheelTurned(const QWheelEvent& event, int x) {
    if (!MouseBusy()) {
        Navigator.Wheel(event.angleDelta(), event.modifiers(), x);
    }
}

bool TWaveView::MouseBusy() const {
    return State.Dragging || Markers.Held() || Selection.Playing();
}

bool TWaveView::KeyPress(int key, Qt::KeyboardModifiers modifiers) {
    if (!Eps.WaveSampleOpen) {
        return false;
    }
    switch (key) {
    case Qt::Key_Escape:
        if (Markers.Cancel()) {
            return true;
        }
        if (!State.HasSelection) {
            return false;
        }
        Selection.Clear();
        return true;
    case Qt::Key_Home:
    case Qt::Key_End:
        if (!MouseBusy()) {
            EndKey(key == Qt::Key_Home, modifiers);
        }
        return true;
    default:
        return false;
    }
}

void TWaveView::EndKey(bool home, Qt::KeyboardModifiers modifiers) {
    if (home) {
        Navigator.Home();
    } else {
        Navigator.End();
    }
    if (modifiers.testFlag(Qt::ShiftModifier)) {
        const std::int32_t sample = home ? 0 : Eps.LastSample;
        Selection.ExtendTo(sample, sample);
    }
}

// The scroll bar reports before it moves its thumb; the thumb is then put
// where the window really is. While the thumb is dragged it follows the mouse.
void TWaveView::ScrollBarAction(int action) {
    const std::optional<TScrollCode> code = ScrollCodeOf(action);
    if (code && *code != scTrack) {
        ScrollBar.setSliderPosition(ScrollBarScroll(*code, ScrollBar.value()));
    }
}

int TWaveView::ScrollBarScroll(TScrollCode code, int position) {
    if (code == scTrack || code == scTop || code == scBottom) {
        return position;
    }
    Selection.Drop();
    MoveWindow(code, position);
    Eps.RefreshView();
    return ScrollPosition();
}

// A line moves the window by half its width, a page by all of it.
void TWaveView::MoveWindow(TScrollCode code, int position) {
    const std::int32_t span = ViewPointCount * Eps.SamplesPerPoint;
    switch (code) {
    case scLineUp:
        Eps.SetViewStart(Eps.ViewStart - span / 2);
        Eps.SetViewEnd(Eps.ViewStart + span);
        break;
    case scLineDown:
        Eps.SetViewEnd(Eps.ViewEnd + span / 2);
        Eps.SetViewStart(Eps.ViewEnd - span);
        break;
    case scPageUp:
        Eps.SetViewStart(Eps.ViewStart - span);
        Eps.SetViewEnd(Eps.ViewStart + span);
        break;
    case scPageDown:
        Eps.SetViewEnd(Eps.ViewEnd + span);
        Eps.SetViewStart(Eps.ViewEnd - span);
        break;
    default: {
        // The thumb's share of the room the window can move in, in whole
        // samples, computed exactly.
        const std::int64_t room = Eps.LastSample + 1 - span;
        Eps.SetViewStart(static_cast<std::int32_t>(room * position / ScrollRange));
        Eps.SetViewEnd(Eps.ViewStart + span);
        break;
    }
    }
}
