// The pictures of the tool bar's speed buttons, drawn by the program as
// shapes on a grid of 16 x 16 units, so that they can be painted at any size
// and pixel ratio, each in a normal and a greyed version for the disabled
// state.
#pragma once

#include <QIcon>
#include <QImage>
#include <QSize>

class QPainter;

enum TGlyph {
    glWaveStart,
    glWaveEnd,
    glLoopStart,
    glLoopEnd,
    glFadeIn,
    glScale,
    glFadeOut,
    glUndo,
    glRedo,
    glZoomIn,
    glZoomOut,
    glShowAll,
};

// The size of a picture on the screen, before the screen's scaling.
constexpr int GlyphSize = 16;

// The picture in pixels pixels, on a transparent ground, in colours that
// stand out from the application's tool bar, light or dark.
QImage GlyphImage(TGlyph glyph, QSize pixels);
// The picture as a disabled button shows it: its shape in a faint grey.
QImage GreyedImage(const QImage& picture);
// Both versions, for a button, drawn for the size and the screen asked.
QIcon GlyphIcon(TGlyph glyph);
