#include "app/ButtonGlyphs.h"

#include <algorithm>
#include <cstdlib>

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace {

// The colours of the wave view's markers, so that a button looks like what
// it moves.
const QColor MarkerRed(255, 0, 0);
const QColor LoopTeal(0, 128, 128);
const QColor SymbolRed(128, 0, 0);

// A square bracket whose arms point left (a start) or right (an end).
void PaintBracket(QPainter& painter, const QColor& colour, bool pointsLeft) {
    const int stem = pointsLeft ? 9 : 5;
    const int tip = pointsLeft ? 3 : 11;
    const int left = std::min(stem, tip);
    const int arm = std::abs(stem - tip) + 2;
    painter.fillRect(stem, 1, 2, 14, colour);
    painter.fillRect(left, 1, arm, 2, colour);
    painter.fillRect(left, 13, arm, 2, colour);
}

void PaintPolygon(QPainter& painter, const QPolygonF& outline) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(LoopTeal);
    painter.drawPolygon(outline);
}

// A magnifying glass; the symbol inside the lens tells what it does.
void PaintGlass(QPainter& painter, TGlyph glyph) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(64, 64, 64), 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(10.5, 10.5), QPointF(14, 14));
    painter.setPen(QPen(Qt::black, 1.2));
    painter.setBrush(QColor(224, 240, 255));
    painter.drawEllipse(QPointF(6.5, 6.5), 5, 5);
    painter.setPen(QPen(SymbolRed, 2, Qt::SolidLine, Qt::FlatCap));
    if (glyph == glShowAll) {
        painter.drawLine(QPointF(4.5, 4.5), QPointF(8.5, 8.5));
        painter.drawLine(QPointF(8.5, 4.5), QPointF(4.5, 8.5));
        return;
    }
    painter.drawLine(QPointF(3.5, 6.5), QPointF(9.5, 6.5));
    if (glyph == glZoomIn) {
        painter.drawLine(QPointF(6.5, 3.5), QPointF(6.5, 9.5));
    }
}

// A hooked arrow turning back to the left (undo) or on to the right (redo).
void PaintTurn(QPainter& painter, bool back) {
    painter.setRenderHint(QPainter::Antialiasing);
    if (!back) {
        painter.translate(GlyphSize, 0);
        painter.scale(-1, 1);
    }
    QPainterPath hook;
    hook.moveTo(5, 6);
    hook.lineTo(10, 6);
    hook.cubicTo(15, 6, 15, 14, 10, 14);
    hook.lineTo(7, 14);
    painter.setPen(QPen(LoopTeal, 2, Qt::SolidLine, Qt::FlatCap));
    painter.drawPath(hook);
    painter.setPen(Qt::NoPen);
    painter.setBrush(LoopTeal);
    painter.drawPolygon(QPolygonF({{1, 6}, {6, 1.5}, {6, 10.5}}));
}

void PaintGlyph(QPainter& painter, TGlyph glyph) {
    switch (glyph) {
    case glWaveStart:
    case glWaveEnd:
        PaintBracket(painter, MarkerRed, glyph == glWaveStart);
        break;
    case glLoopStart:
    case glLoopEnd:
        PaintBracket(painter, LoopTeal, glyph == glLoopStart);
        break;
    case glFadeIn:
        PaintPolygon(painter, QPolygonF({{1, 15}, {15, 15}, {15, 1}}));
        break;
    case glScale:
        PaintPolygon(painter, QPolygonF({{1, 2}, {8, 9}, {15, 2}, {15, 15}, {1, 15}}));
        break;
    case glFadeOut:
        PaintPolygon(painter, QPolygonF({{1, 1}, {15, 15}, {1, 15}}));
        break;
    case glUndo:
    case glRedo:
        PaintTurn(painter, glyph == glUndo);
        break;
    case glZoomIn:
    case glZoomOut:
    case glShowAll:
        PaintGlass(painter, glyph);
        break;
    }
}

// The picture's dark pixels, in one colour, shifted by the offset. Light
// pixels drop out, so that a greyed picture keeps its outlines and symbols
// rather than becoming one grey blot.
void PaintShape(QPainter& painter, const QImage& picture, const QColor& colour, int offset) {
    constexpr int LightLimit = 192;
    QImage shape(picture.size(), QImage::Format_ARGB32);
    shape.fill(Qt::transparent);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QColor pixel = picture.pixelColor(x, y);
            if (pixel.alpha() > 0 && pixel.lightness() < LightLimit) {
                shape.setPixelColor(x, y, colour);
            }
        }
    }
    painter.drawImage(offset, offset, shape);
}

} // namespace

QPixmap GlyphPicture(TGlyph glyph) {
    QPixmap picture(GlyphSize, GlyphSize);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    PaintGlyph(painter, glyph);
    return picture;
}

QPixmap GreyedPicture(const QPixmap& picture) {
    QPixmap greyed(picture.size());
    greyed.fill(Qt::transparent);
    QPainter painter(&greyed);
    const QImage image = picture.toImage();
    PaintShape(painter, image, Qt::white, 1);
    PaintShape(painter, image, QColor(128, 128, 128), 0);
    return greyed;
}

QIcon GlyphIcon(TGlyph glyph) {
    const QPixmap picture = GlyphPicture(glyph);
    QIcon icon;
    icon.addPixmap(picture, QIcon::Normal);
    icon.addPixmap(GreyedPicture(picture), QIcon::Disabled);
    return icon;
}
