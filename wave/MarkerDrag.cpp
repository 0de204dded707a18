#include "wave/MarkerDrag.h"

#include <QLabel>

#include <algorithm>
#include <array>
#include <cstdlib>

#include "eps/Eps.h"
#include "wave/LoopMode.h"
#include "wave/PointMapping.h"
#include "wave/WaveBox.h"
#include "wave/WaveCommands.h"

namespace {

// The label's distance from the marker and from the handles.
constexpr int LabelGap = 4;

constexpr std::array<int, 4> SampleMarkersFirst{wpSampleStart, wpSampleEnd, wpLoopStart, wpLoopEnd};
constexpr std::array<int, 4> LoopMarkersFirst{wpLoopStart, wpLoopEnd, wpSampleStart, wpSampleEnd};

QString MarkerName(int first) {
    switch (first) {
    case wpSampleStart:
        return QStringLiteral("ws:");
    case wpSampleEnd:
        return QStringLiteral("we:");
    case wpLoopStart:
        return QStringLiteral("ls:");
    default:
        return QStringLiteral("le:");
    }
}

} // namespace

TMarkerDrag::TMarkerDrag(TEps& eps, TEpsOwner& owner, TWaveCommands& commands, TWaveBox& box)
    : Label(new QLabel(&box)), Eps(eps), Owner(owner), Commands(commands), Box(box) {
    // The box's ground is the wave area's, which the window paints black;
    // a label in the window's colours would write black on black.
    Label->setBackgroundRole(QPalette::ToolTipBase);
    Label->setForegroundRole(QPalette::ToolTipText);
    Label->setAutoFillBackground(true);
    Label->setFrameShape(QFrame::Box);
    Label->setMargin(2);
    Label->hide();
    // The cursor follows the mouse over the markers without a button held.
    Box.setMouseTracking(true);
}

bool TMarkerDrag::Grab(int x, int y) {
    Marker = MarkerAt(x, y);
    if (!Marker) {
        return false;
    }
    Original = Eps.GetSampleAddress(*Marker);
    Owner.UpdateCommands();
    return Follow(x, y);
}

// The marker shows where the commands would put it, not merely under the
// mouse.
bool TMarkerDrag::Follow(int x, int y) {
    if (!Marker) {
        if (MarkerAt(x, y)) {
            Box.setCursor(Qt::SizeHorCursor);
        } else {
            Box.unsetCursor();
        }
        return false;
    }
    Eps.SetSampleAddress(*Marker, Original);
    const std::int32_t sample = Commands.AllowedAddress(*Marker, SampleAt(x));
    Eps.SetSampleAddress(*Marker, sample);
    Label->setText(MarkerName(*Marker) + QString::number(sample));
    Label->adjustSize();
    const int column = MarkerColumn(sample, Eps, Box.width());
    Label->move(std::clamp(column + LabelGap, 0, std::max(Box.width() - Label->width(), 0)),
                ArmBand + LabelGap);
    Label->show();
    Box.Invalidate();
    return true;
}

// A marker let go where it was taken sends nothing.
bool TMarkerDrag::Drop(int x) {
    if (!Marker) {
        return false;
    }
    const int first = *Marker;
    Release();
    if (Commands.AllowedAddress(first, SampleAt(x)) != Original) {
        Commands.MoveMarker(first, SampleAt(x));
    }
    return true;
}

bool TMarkerDrag::Cancel() {
    if (!Marker) {
        return false;
    }
    Release();
    return true;
}

void TMarkerDrag::Release() {
    Eps.SetSampleAddress(*Marker, Original);
    Marker.reset();
    Label->hide();
    Box.Invalidate();
    Owner.UpdateCommands();
}

std::optional<int> TMarkerDrag::MarkerAt(int x, int y) const {
    const bool onArms = y < ArmBand || y >= Box.height() - ArmBand;
    if (!Eps.WaveSampleOpen || Box.width() < 2 || !onArms) {
        return std::nullopt;
    }
    std::optional<int> nearest;
    int distance = Reach + 1;
    const bool loopFirst = TWavePicture::OnLoopHandle(y, Box.height());
    const std::array<int, 4> order = loopFirst ? LoopMarkersFirst : SampleMarkersFirst;
    for (const int first : order) {
        const std::int32_t sample = Eps.GetSampleAddress(first);
        const bool shown = (first == wpSampleStart || first == wpSampleEnd || IsLoopMode(Eps)) &&
                           MarkerInView(sample, Eps);
        const int away = std::abs(MarkerColumn(sample, Eps, Box.width()) - x);
        if (shown && away < distance) {
            nearest = first;
            distance = away;
        }
    }
    return nearest;
}

std::int32_t TMarkerDrag::SampleAt(int x) const {
    const int point = PointIndex(std::clamp(x, 0, Box.width() - 1), Box.width());
    return Eps.ViewStart + point * Eps.SamplesPerPoint;
}
