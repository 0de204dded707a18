// The picture of the open wavesample in the wave box: the 512 display points
// of the view spread over the box's columns, as a line through the samples
// (one sample per point) or as bars of the overview's peaks, dimmed where
// they lie before the start or after the end marker, and the wavesample's
// start and end markers and, in a loop mode, its loop markers. Drawn from
// the engine's view fields and parameter block only, so that a repaint costs
// no exchange with the sampler.
#pragma once

#include <QColor>

#include "wave/WaveCanvas.h"
#include "wave/WaveColours.h"

class TEps;

class TWavePicture {
public:
    // A marker's stem is this many columns wide; the handles at its ends
    // are triangles this many pixels across and high. A loop marker's
    // handles lie just inside those of the wavesample's markers, so that
    // both show where the markers meet.
    static constexpr int StemWidth = 2;
    static constexpr int HandleSize = 9;
    static constexpr int LoopHandleRow = HandleSize;
    // The rows along the top and the bottom edge that hold handles.
    static constexpr int HandleBand = LoopHandleRow + HandleSize;

    // Row y of a box height rows high lies beside a loop marker's handle.
    static bool OnLoopHandle(int y, int height) {
        return (y >= LoopHandleRow && y < HandleBand) ||
               (y >= height - HandleBand && y < height - LoopHandleRow);
    }

    // vScale: a point of 128 * 2^vScale reaches the top edge.
    TWavePicture(TWaveCanvas& canvas, const TEps& eps, const TWaveColours& colours, int vScale,
                 int width, int height);

    // The background, and over it the waveform and the markers when a
    // wavesample is open and the box is big enough to map the points.
    void Draw();
    // A box narrower than 2 or lower than 4 pixels shows no points.
    static bool CanShowPoints(int width, int height) { return width >= 2 && height >= 4; }

private:
    // How far the point of column c reaches above the centre row, before
    // any limit.
    int Reach(int column) const;
    // Column c shows only samples before the start marker or after the end
    // marker, which do not play.
    bool Outside(int column) const;
    const QColor& WaveColour(int column) const;
    void DrawDimGround();
    void DrawExactView();
    void DrawOverview();
    void DrawMarkers();
    // A marker at column x whose handles point left (-1, a start) or right
    // (+1, an end), handleRow rows from the edges.
    void DrawMarker(int x, int direction, int handleRow);
    // The two triangles, widest toward the edges, from column first toward
    // side.
    void DrawHandles(int first, int side, int handleRow);

    TWaveCanvas& Canvas;
    const TEps& Eps;
    const TWaveColours& Colours;
    int VScale;
    int Width;
    int Height;
    int CentreRow;
};
