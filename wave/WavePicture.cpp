#include "wave/WavePicture.h"

#include <algorithm>
#include <cmath>

#include "eps/Eps.h"
#include "wave/LoopMode.h"
#include "wave/PointMapping.h"

namespace {

constexpr int StartArm = -1;
constexpr int EndArm = 1;

} // namespace

const QColor TWavePicture::OpenBackground(0, 0, 0);
const QColor TWavePicture::ClosedBackground(192, 192, 192);
const QColor TWavePicture::CentreLineColour(128, 128, 128);
const QColor TWavePicture::WaveColour(0, 255, 0);
const QColor TWavePicture::LoopMarkerColour(0, 128, 128);
const QColor TWavePicture::SampleMarkerColour(255, 0, 0);

TWavePicture::TWavePicture(TWaveCanvas& canvas, const TEps& eps, int vScale, int width, int height)
    : Canvas(canvas), Eps(eps), VScale(vScale), Width(width), Height(height),
      CentreRow((height - 2) / 2) {}

void TWavePicture::Draw() {
    Canvas.Fill(Eps.WaveSampleOpen ? OpenBackground : ClosedBackground);
    if (!Eps.WaveSampleOpen || !CanShowPoints(Width, Height)) {
        return;
    }
    if (Eps.SamplesPerPoint <= 1) {
        DrawExactView();
    } else {
        DrawOverview();
    }
    DrawMarkers();
}

int TWavePicture::Reach(int column) const {
    const double value = Eps.ViewPoints.at(PointIndex(column, Width));
    const double valuePerRow = std::ldexp(128.0, VScale) / CentreRow;
    return static_cast<int>(std::trunc(value / valuePerRow));
}

// The samples themselves: a line from column to column around the grey
// centre row, kept inside the box.
void TWavePicture::DrawExactView() {
    Canvas.SetPenColour(CentreLineColour);
    Canvas.MoveTo(0, CentreRow);
    Canvas.LineTo(Width, CentreRow);
    Canvas.SetPenColour(WaveColour);
    for (int column = 0; column < Width; ++column) {
        const int row = CentreRow - std::clamp(Reach(column), -CentreRow, CentreRow);
        if (column == 0) {
            Canvas.MoveTo(column, row);
        } else {
            Canvas.LineTo(column, row);
        }
    }
}

// Peaks: a bar for each column reaching as far above the centre row as
// below it, cut off at the top edge.
void TWavePicture::DrawOverview() {
    Canvas.SetPenColour(WaveColour);
    for (int column = 0; column < Width; ++column) {
        const int reach = std::min(Reach(column), CentreRow);
        Canvas.MoveTo(column, CentreRow - reach);
        Canvas.LineTo(column, CentreRow + reach + 1);
    }
}

// The loop markers are drawn first, so that the wavesample's own markers
// stay whole where they meet.
void TWavePicture::DrawMarkers() {
    const auto draw = [this](int first, int top, int bottom, int direction) {
        const std::int32_t sample = Eps.GetSampleAddress(first);
        if (MarkerInView(sample, Eps)) {
            DrawBracket(MarkerColumn(sample, Eps, Width), top, bottom, direction);
        }
    };
    if (IsLoopMode(Eps)) {
        Canvas.SetPenColour(LoopMarkerColour);
        draw(wpLoopStart, 1, Height - 3, StartArm);
        draw(wpLoopEnd, 1, Height - 3, EndArm);
    }
    Canvas.SetPenColour(SampleMarkerColour);
    draw(wpSampleStart, 0, Height - 2, StartArm);
    draw(wpSampleEnd, 0, Height - 2, EndArm);
}

void TWavePicture::DrawBracket(int x, int top, int bottom, int direction) {
    Canvas.MoveTo(x + 2 * direction, top);
    Canvas.LineTo(x, top);
    Canvas.LineTo(x, bottom);
    Canvas.LineTo(x + 3 * direction, bottom);
}
