#include "wave/WaveNavigator.h"

#include <algorithm>
#include <cstdlib>

#include "eps/Eps.h"
#include "wave/PointMapping.h"
#include "wave/WaveBox.h"

namespace {

// Beyond this many halvings the window is a sample per point whatever it was.
constexpr int MostHalvings = 24;

} // namespace

TWaveNavigator::TWaveNavigator(TEps& eps, TWaveBox& box) : Eps(eps), Box(box) {}

// A wheel tilted sideways or a trackpad swiped across turns the horizontal
// delta; whichever way moved more counts.
void TWaveNavigator::Wheel(QPoint delta, Qt::KeyboardModifiers modifiers, int x) {
    if (!Eps.WaveSampleOpen || Box.width() < 2) {
        return;
    }
    const int turn = std::abs(delta.x()) > std::abs(delta.y()) ? delta.x() : delta.y();
    if (modifiers.testFlag(Qt::ControlModifier)) {
        ScrollRest = 0;
        Zoom(Notches(ZoomRest, turn), x);
    } else {
        ZoomRest = 0;
        // Turned away from the user the wheel moves toward the start.
        Scroll(-Notches(ScrollRest, turn));
    }
}

void TWaveNavigator::Home() {
    if (Eps.WaveSampleOpen) {
        Show(0, Span());
    }
}

void TWaveNavigator::End() {
    if (Eps.WaveSampleOpen) {
        Show(Eps.LastSample + 1 - Span(), Span());
    }
}

int TWaveNavigator::Notches(int& rest, int delta) {
    rest += delta;
    const int notches = rest / NotchDelta;
    rest -= notches * NotchDelta;
    return notches;
}

// The sample at the start of the point under the mouse keeps its column:
// the new window begins as many of the new points before it. Zooming in
// stops at a sample per point, zooming out at the whole wavesample.
void TWaveNavigator::Zoom(int notches, int x) {
    if (notches == 0) {
        return;
    }
    const int halvings = std::clamp(notches, -MostHalvings, MostHalvings);
    const std::int64_t perPoint = Eps.SamplesPerPoint;
    const std::int64_t whole = Eps.LastSample / ViewPointCount + 1;
    const std::int64_t wanted = halvings > 0 ? perPoint >> halvings : perPoint << -halvings;
    const auto newPerPoint = static_cast<std::int32_t>(std::clamp<std::int64_t>(wanted, 1, whole));
    const int point = PointIndex(std::clamp(x, 0, Box.width() - 1), Box.width());
    const std::int32_t sample = Eps.ViewStart + point * Eps.SamplesPerPoint;
    Show(sample - point * newPerPoint, ViewPointCount * newPerPoint);
}

void TWaveNavigator::Scroll(int notches) {
    if (notches != 0 && Eps.Zoomed) {
        Show(Eps.ViewStart + notches * (Span() / ScrollShare), Span());
    }
}

std::int32_t TWaveNavigator::Span() const {
    return ViewPointCount * Eps.SamplesPerPoint;
}

void TWaveNavigator::Show(std::int32_t start, std::int32_t span) {
    const std::int32_t oldStart = Eps.ViewStart;
    const std::int32_t oldEnd = Eps.ViewEnd;
    Eps.SetViewStart(start);
    Eps.SetViewEnd(Eps.ViewStart + span);
    Eps.SetViewStart(Eps.ViewEnd - span);
    Eps.NormalizeView();
    if (Eps.ViewStart != oldStart || Eps.ViewEnd != oldEnd) {
        Eps.RefreshView();
    }
}
