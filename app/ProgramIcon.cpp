#include "app/ProgramIcon.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <numbers>

namespace {

// A decaying tone of a few periods, in picture units: x and y in 0..1.
QPainterPath Waveform(double width, double height) {
    constexpr int Steps = 64;
    constexpr double Periods = 3.5;
    QPainterPath path;
    for (int i = 0; i <= Steps; ++i) {
        const double t = double(i) / Steps;
        const double y = std::exp(-2.2 * t) * std::sin(2 * std::numbers::pi * Periods * t);
        const QPointF point(width * (0.18 + 0.64 * t), height * (0.5 - 0.36 * y));
        if (i == 0) {
            path.moveTo(point);
        } else {
            path.lineTo(point);
        }
    }
    return path;
}

void PaintMarker(QPainter& painter, double x, double arm, double top, double bottom) {
    painter.drawPolyline(QPolygonF({{x + arm, top}, {x, top}, {x, bottom}, {x + arm, bottom}}));
}

} // namespace

QPixmap ProgramPicture(int size) {
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const double unit = size / 32.0;
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), 4 * unit, 4 * unit);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 0, 0), 1.6 * unit));
    PaintMarker(painter, 4.5 * unit, -2 * unit, 4 * unit, 28 * unit);
    PaintMarker(painter, 27.5 * unit, 2 * unit, 4 * unit, 28 * unit);
    painter.setPen(QPen(QColor(0, 255, 0), 1.4 * unit));
    painter.drawPath(Waveform(size, size));
    return picture;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64}) {
        icon.addPixmap(ProgramPicture(size));
    }
    return icon;
}
