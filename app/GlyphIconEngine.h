// The icon of a speed button: its glyph painted anew for every size and
// pixel ratio asked, so that it stays sharp at any scaling of the screen, and
// greyed for a disabled button.
#pragma once

#include <QIconEngine>

#include "app/ButtonGlyphs.h"

class TGlyphIconEngine : public QIconEngine {
public:
    explicit TGlyphIconEngine(TGlyph glyph) : Glyph(glyph) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    // size is in the screen's pixels.
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QIconEngine* clone() const override;

private:
    TGlyph Glyph;
};
