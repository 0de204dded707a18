// Pixel drawing on the wave box's picture, with the pen semantics the wave
// view is defined in: the pen moves to a point and draws lines from point to
// point, each line covering its start but not its end point; and rectangles
// are inverted pixel by pixel, so that inverting one twice restores it.
// Everything outside the picture is clipped.
#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>

class TWaveCanvas {
public:
    explicit TWaveCanvas(QImage& picture) : Picture(picture) {}

    void Fill(const QColor& colour);
    void SetPenColour(const QColor& colour) { Pen = colour.rgb(); }
    void MoveTo(int x, int y) { Position = QPoint(x, y); }
    // Draws from the pen position up to, not including, (x, y) and leaves the
    // pen there.
    void LineTo(int x, int y);
    // Inverts columns left .. right - 1 and rows top .. bottom - 1.
    void InvertRect(int left, int top, int right, int bottom);

private:
    void HorizontalLine(int x0, int x1, int y);
    void VerticalLine(int x, int y0, int y1);
    void SlantedLine(QPoint from, QPoint to);
    void Plot(int x, int y);

    QImage& Picture;
    QRgb Pen = 0;
    QPoint Position;
};
