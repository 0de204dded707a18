#include "app/ButtonGlyphs.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPolygonF>
#include <QRectF>

#include "app/GlyphIconEngine.h"
#include "wave/WaveColours.h"

namespace {

struct TGlyphColours {
    QColor Marker;
    QColor Loop;
    // The magnifying glass's symbol, handle and rim.
    QColor Symbol;
    QColor Handle;
    QColor Rim;
};

// The wave view's marker colours, so that a button looks like what it moves;
// on a dark tool bar the lighter ones the wave view takes on a dark ground,
// and a lighter glass.
TGlyphColours ColoursFor(const QPalette& palette) {
    constexpr int DarkLimit = 128;
    if (palette.color(QPalette::Button).lightness() >= DarkLimit) {
        const TWaveColours& classic = TWaveColours::Classic;
        return {classic.SampleMarker, classic.LoopMarker, QColor(128, 0, 0), QColor(64, 64, 64),
                Qt::black};
    }
    const TWaveColours dark = TWaveColours::Of(wlTheme, palette);
    return {dark.SampleMarker, dark.LoopMarker, dark.SampleMarker, QColor(160, 160, 160),
            QColor(176, 176, 176)};
}

// A marker of the wave view: a stem with a triangular handle at either end,
// pointing left (a start) or right (an end).
void PaintMarker(QPainter& painter, const QColor& colour, bool pointsLeft) {
    painter.save();
    if (!pointsLeft) {
        painter.translate(GlyphSize, 0);
        painter.scale(-1, 1);
    }
    painter.fillRect(QRectF(10, 1, 2, 14), colour);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPolygon(QPolygonF({{10, 1}, {4, 1}, {10, 7}}));
    painter.drawPolygon(QPolygonF({{10, 15}, {4, 15}, {10, 9}}));
    painter.restore();
}

void PaintPolygon(QPainter& painter, const QColor& colour, const QPolygonF& outline) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPolygon(outline);
}

// A magnifying glass; the symbol inside the lens tells what it does.
void PaintGlass(QPainter& painter, const TGlyphColours& colours, TGlyph glyph) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colours.Handle, 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(10.5, 10.5), QPointF(14, 14));
    painter.setPen(QPen(colours.Rim, 1.2));
    painter.setBrush(QColor(224, 240, 255));
    painter.drawEllipse(QPointF(6.5, 6.5), 5, 5);
    painter.setPen(QPen(colours.Symbol, 2, Qt::SolidLine, Qt::FlatCap));
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
void PaintTurn(QPainter& painter, const QColor& colour, bool back) {
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
    painter.setPen(QPen(colour, 2, Qt::SolidLine, Qt::FlatCap));
    painter.drawPath(hook);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPolygon(QPolygonF({{1, 6}, {6, 1.5}, {6, 10.5}}));
}

void PaintGlyph(QPainter& painter, const TGlyphColours& colours, TGlyph glyph) {
    switch (glyph) {
    case glWaveStart:
    case glWaveEnd:
        PaintMarker(painter, colours.Marker, glyph == glWaveStart);
        break;
    case glLoopStart:
    case glLoopEnd:
        PaintMarker(painter, colours.Loop, glyph == glLoopStart);
        break;
    case glFadeIn:
        PaintPolygon(painter, colours.Loop, QPolygonF({{1, 15}, {15, 15}, {15, 1}}));
        break;
    case glScale:
        PaintPolygon(painter, colours.Loop,
                     QPolygonF({{1, 2}, {8, 9}, {15, 2}, {15, 15}, {1, 15}}));
        break;
    case glFadeOut:
        PaintPolygon(painter, colours.Loop, QPolygonF({{1, 1}, {15, 15}, {1, 15}}));
        break;
    case glUndo:
    case glRedo:
        PaintTurn(painter, colours.Loop, glyph == glUndo);
        break;
    case glZoomIn:
    case glZoomOut:
    case glShowAll:
        PaintGlass(painter, colours, glyph);
        break;
    }
}

} // namespace

QImage GlyphImage(TGlyph glyph, QSize pixels) {
    QImage picture(pixels, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.scale(double(pixels.width()) / GlyphSize, double(pixels.height()) / GlyphSize);
    PaintGlyph(painter, ColoursFor(QApplication::palette()), glyph);
    return picture;
}

// The dark pixels only, so that a greyed picture keeps its outlines and
// symbols rather than becoming one grey blot; half transparent, so that it
// reads as greyed on a light tool bar and on a dark one.
QImage GreyedImage(const QImage& picture) {
    constexpr int LightLimit = 192;
    constexpr double Opacity = 0.55;
    const QColor grey(128, 128, 128);
    QImage greyed(picture.size(), QImage::Format_ARGB32);
    greyed.fill(Qt::transparent);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QColor pixel = picture.pixelColor(x, y);
            if (pixel.alpha() > 0 && pixel.lightness() < LightLimit) {
                QColor shade = grey;
                shade.setAlpha(static_cast<int>(pixel.alpha() * Opacity));
                greyed.setPixelColor(x, y, shade);
            }
        }
    }
    return greyed;
}

QIcon GlyphIcon(TGlyph glyph) {
    return QIcon(new TGlyphIconEngine(glyph));
}
