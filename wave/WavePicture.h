// The picture of the open wavesample in the wave box: the 512 display points
// of the view spread over the box's columns, as a line through the samples
// (one sample per point) or as bars of the overview's peaks, and the
// wavesample's start and end markers and, in a loop mode, its loop markers.
// Drawn from the engine's view fields and parameter block only, so that a
// repaint costs no exchange with the sampler.
#pragma once

#include <QColor>

#include "wave/WaveCanvas.h"

class TEps;

class TWavePicture {
public:
    static const QColor OpenBackground;
    static const QColor ClosedBackground;
    static const QColor CentreLineColour;
    static const QColor WaveColour;
    static const QColor LoopMarkerColour;
    static const QColor SampleMarkerColour;

    // vScale: a point of 128 * 2^vScale reaches the top edge.
    TWavePicture(TWaveCanvas& canvas, const TEps& eps, int vScale, int width, int height);

    // The background, and over it the waveform and the markers when a
    // wavesample is open and the box is big enough to map the points.
    void Draw();
    // A box narrower than 2 or lower than 4 pixels shows no points.
    static bool CanShowPoints(int width, int height) { return width >= 2 && height >= 4; }

private:
    // How far the point of column c reaches above the centre row, before
    // any limit.
    int Reach(int column) const;
    void DrawExactView();
    void DrawOverview();
    void DrawMarkers();
    // A bracket at column x whose arms point left (-1, a start) or right
    // (+1, an end).
    void DrawBracket(int x, int top, int bottom, int direction);

    TWaveCanvas& Canvas;
    const TEps& Eps;
    int VScale;
    int Width;
    int Height;
    int CentreRow;
};
