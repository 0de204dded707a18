#include "wave/WaveRuler.h"

#include <QPainter>

#include <algorithm>

namespace {

// The figures are a little smaller than the window's text.
constexpr double FigureScale = 0.85;
constexpr int MarkLength = 4;
constexpr int FigureGap = 3;
// A box high enough for every figure of the scale.
constexpr int TallBox = 10000;

// The widest figure the amplitude scale shows at any vertical scale.
int WidestAmplitudeFigure(const QFontMetrics& metrics) {
    int widest = 0;
    for (int vScale = 0; vScale <= LargestVScale; ++vScale) {
        for (const TRulerMark& mark : AmplitudeMarks(vScale, TallBox, metrics)) {
            widest = std::max(widest, metrics.horizontalAdvance(mark.Text));
        }
    }
    return widest;
}

} // namespace

TWaveRuler::TWaveRuler(Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent), Orientation(orientation) {
    QFont small = font();
    if (small.pointSizeF() > 0) {
        small.setPointSizeF(small.pointSizeF() * FigureScale);
        setFont(small);
    }
    const QFontMetrics metrics = fontMetrics();
    if (orientation == Qt::Horizontal) {
        setFixedHeight(metrics.height() + MarkLength + FigureGap);
    } else {
        setFixedWidth(WidestAmplitudeFigure(metrics) + MarkLength + 2 * FigureGap);
    }
}

void TWaveRuler::SetSource(TSource source) {
    Source = std::move(source);
    update();
}

void TWaveRuler::SetColour(const QColor& colour) {
    Colour = colour;
    update();
}

std::vector<TRulerMark> TWaveRuler::Marks() const {
    return Source ? Source(fontMetrics()) : std::vector<TRulerMark>{};
}

void TWaveRuler::paintEvent(QPaintEvent*) {
    const std::vector<TRulerMark> marks = Marks();
    if (marks.empty()) {
        return;
    }
    QPainter painter(this);
    painter.setPen(Colour);
    if (Orientation == Qt::Horizontal) {
        PaintAlongTop(painter, marks);
    } else {
        PaintAlongSide(painter, marks);
    }
}

// A figure stands to the right of its mark, which runs the strip's height;
// one that would run off the end is left out.
void TWaveRuler::PaintAlongTop(QPainter& painter, const std::vector<TRulerMark>& marks) {
    const int bottom = height() - 1;
    painter.drawLine(0, bottom, width() - 1, bottom);
    const QFontMetrics metrics = fontMetrics();
    for (const TRulerMark& mark : marks) {
        if (mark.Text.isEmpty()) {
            painter.drawLine(mark.Position, bottom - MarkLength, mark.Position, bottom);
            continue;
        }
        painter.drawLine(mark.Position, 0, mark.Position, bottom);
        const int left = mark.Position + FigureGap;
        if (left + metrics.horizontalAdvance(mark.Text) <= width()) {
            painter.drawText(left, metrics.ascent(), mark.Text);
        }
    }
}

// A figure stands left of its mark, centred on it where the strip's ends
// leave room.
void TWaveRuler::PaintAlongSide(QPainter& painter, const std::vector<TRulerMark>& marks) {
    const int right = width() - 1;
    painter.drawLine(right, 0, right, height() - 1);
    const QFontMetrics metrics = fontMetrics();
    const int figureRight = right - MarkLength - FigureGap;
    for (const TRulerMark& mark : marks) {
        painter.drawLine(right - MarkLength, mark.Position, right, mark.Position);
        const int top = std::clamp(mark.Position - metrics.height() / 2, 0,
                                   std::max(height() - metrics.height(), 0));
        painter.drawText(QRect(0, top, figureRight, metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, mark.Text);
    }
}
