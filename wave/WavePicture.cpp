#include "wave/WavePicture.h"

#include <algorithm>
#include <cmath>

#include "eps/Eps.h"
#include "wave/LoopMode.h"
#include "wave/PointMapping.h"

namespace {

constexpr int StartSide = -1;
constexpr int EndSide = 1;

} // namespace

TWavePicture::TWavePicture(TWaveCanvas& canvas, const TEps& eps, const TWaveColours& colours,
                           int vScale, int width, int height)
    : Canvas(canvas), Eps(eps), Colours(colours), VScale(vScale), Width(width), Height(height),
      CentreRow((height - 2) / 2) {}

void TWavePicture::Draw() {
    Canvas.Fill(Eps.WaveSampleOpen ? Colours.Background : Colours.ClosedBackground);
    if (!Eps.WaveSampleOpen || !CanShowPoints(Width, Height)) {
        return;
    }
    DrawDimGround();
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

// The end marker stands on the last sample that plays.
bool TWavePicture::Outside(int column) const {
    const std::int32_t first = Eps.ViewStart + PointIndex(column, Width) * Eps.SamplesPerPoint;
    const std::int32_t last = first + Eps.SamplesPerPoint - 1;
    return last < Eps.GetSampleAddress(wpSampleStart) || first > Eps.GetSampleAddress(wpSampleEnd);
}

const QColor& TWavePicture::WaveColour(int column) const {
    return Outside(column) ? Colours.DimWave : Colours.Wave;
}

void TWavePicture::DrawDimGround() {
    Canvas.SetPenColour(Colours.DimBackground);
    for (int column = 0; column < Width; ++column) {
        if (Outside(column)) {
            Canvas.MoveTo(column, 0);
            Canvas.LineTo(column, Height);
        }
    }
}

// The samples themselves: a line from column to column around the centre
// row, kept inside the box. Each step takes the colour of the column it
// leaves.
void TWavePicture::DrawExactView() {
    Canvas.SetPenColour(Colours.CentreLine);
    Canvas.MoveTo(0, CentreRow);
    Canvas.LineTo(Width, CentreRow);
    for (int column = 0; column < Width; ++column) {
        const int row = CentreRow - std::clamp(Reach(column), -CentreRow, CentreRow);
        if (column == 0) {
            Canvas.MoveTo(column, row);
        } else {
            Canvas.SetPenColour(WaveColour(column - 1));
            Canvas.LineTo(column, row);
        }
    }
}

// Peaks: a bar for each column reaching as far above the centre row as
// below it, cut off at the top edge.
void TWavePicture::DrawOverview() {
    for (int column = 0; column < Width; ++column) {
        const int reach = std::min(Reach(column), CentreRow);
        Canvas.SetPenColour(WaveColour(column));
        Canvas.MoveTo(column, CentreRow - reach);
        Canvas.LineTo(column, CentreRow + reach + 1);
    }
}

// The loop markers are drawn first, so that the wavesample's own markers
// stay whole where they meet.
void TWavePicture::DrawMarkers() {
    const auto draw = [this](int first, int side, int handleRow) {
        const std::int32_t sample = Eps.GetSampleAddress(first);
        if (MarkerInView(sample, Eps)) {
            DrawMarker(MarkerColumn(sample, Eps, Width), side, handleRow);
        }
    };
    if (IsLoopMode(Eps)) {
        Canvas.SetPenColour(Colours.LoopMarker);
        draw(wpLoopStart, StartSide, LoopHandleRow);
        draw(wpLoopEnd, EndSide, LoopHandleRow);
    }
    Canvas.SetPenColour(Colours.SampleMarker);
    draw(wpSampleStart, StartSide, 0);
    draw(wpSampleEnd, EndSide, 0);
}

// The stem widens into the range the markers enclose, so that a marker on
// the first or last column still shows whole. A handle with no room
// outside the box turns inward, so that it can still be seen and taken.
void TWavePicture::DrawMarker(int x, int direction, int handleRow) {
    for (int i = 0; i < StemWidth; ++i) {
        Canvas.MoveTo(x - i * direction, 0);
        Canvas.LineTo(x - i * direction, Height);
    }
    const int tip = x + direction * HandleSize;
    if (tip >= 0 && tip < Width) {
        DrawHandles(x + direction, direction, handleRow);
    } else {
        DrawHandles(x - direction * StemWidth, -direction, handleRow);
    }
}

void TWavePicture::DrawHandles(int first, int side, int handleRow) {
    for (int row = 0; row < HandleSize; ++row) {
        const int beyond = first + side * (HandleSize - row);
        Canvas.MoveTo(first, handleRow + row);
        Canvas.LineTo(beyond, handleRow + row);
        Canvas.MoveTo(first, Height - 1 - handleRow - row);
        Canvas.LineTo(beyond, Height - 1 - handleRow - row);
    }
}
