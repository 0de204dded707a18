#include "wave/WaveCanvas.h"

#include <algorithm>
#include <cstdlib>

namespace {

// The pixels first .. last - 1 of a run along one axis, drawn from first
// toward last whichever way it points, as an ascending range clipped to
// 0 .. size - 1.
struct TSpan {
    int Low;
    int High; // inclusive; below Low when nothing is left
};

TSpan RunWithoutEnd(int first, int last, int size) {
    const int low = first <= last ? first : last + 1;
    const int high = first <= last ? last - 1 : first;
    return {std::max(low, 0), std::min(high, size - 1)};
}

} // namespace

void TWaveCanvas::Fill(const QColor& colour) {
    Picture.fill(colour.rgb());
}

void TWaveCanvas::LineTo(int x, int y) {
    const QPoint to(x, y);
    if (to.y() == Position.y()) {
        HorizontalLine(Position.x(), to.x(), to.y());
    } else if (to.x() == Position.x()) {
        VerticalLine(to.x(), Position.y(), to.y());
    } else {
        SlantedLine(Position, to);
    }
    Position = to;
}

void TWaveCanvas::HorizontalLine(int x0, int x1, int y) {
    if (y < 0 || y >= Picture.height()) {
        return;
    }
    const TSpan span = RunWithoutEnd(x0, x1, Picture.width());
    auto* row = reinterpret_cast<QRgb*>(Picture.scanLine(y));
    for (int x = span.Low; x <= span.High; ++x) {
        row[x] = Pen;
    }
}

void TWaveCanvas::VerticalLine(int x, int y0, int y1) {
    if (x < 0 || x >= Picture.width()) {
        return;
    }
    const TSpan span = RunWithoutEnd(y0, y1, Picture.height());
    for (int y = span.Low; y <= span.High; ++y) {
        reinterpret_cast<QRgb*>(Picture.scanLine(y))[x] = Pen;
    }
}

// Bresenham's walk from one point toward the other, stopping before it.
void TWaveCanvas::SlantedLine(QPoint from, QPoint to) {
    const int dx = std::abs(to.x() - from.x());
    const int dy = -std::abs(to.y() - from.y());
    const int stepX = from.x() < to.x() ? 1 : -1;
    const int stepY = from.y() < to.y() ? 1 : -1;
    int error = dx + dy;
    QPoint point = from;
    while (point != to) {
        Plot(point.x(), point.y());
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            point.rx() += stepX;
        }
        if (twice <= dx) {
            error += dx;
            point.ry() += stepY;
        }
    }
}

void TWaveCanvas::Plot(int x, int y) {
    if (x >= 0 && x < Picture.width() && y >= 0 && y < Picture.height()) {
        reinterpret_cast<QRgb*>(Picture.scanLine(y))[x] = Pen;
    }
}

void TWaveCanvas::InvertRect(int left, int top, int right, int bottom) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, Picture.width());
    bottom = std::min(bottom, Picture.height());
    for (int y = top; y < bottom; ++y) {
        auto* row = reinterpret_cast<QRgb*>(Picture.scanLine(y));
        for (int x = left; x < right; ++x) {
            // The alpha byte stays opaque; only the colour turns over.
            row[x] ^= RGB_MASK;
        }
    }
}
