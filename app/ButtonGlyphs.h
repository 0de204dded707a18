// The pictures of the tool bar's speed buttons, drawn by the program: 16 x 16
// pixels on a transparent ground, each in a normal and a greyed version for
// the disabled state.
#pragma once

#include <QIcon>
#include <QPixmap>

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

constexpr int GlyphSize = 16;

// The normal picture.
QPixmap GlyphPicture(TGlyph glyph);
// The picture as a disabled button shows it: its shape embossed in grey.
QPixmap GreyedPicture(const QPixmap& picture);
// Both versions, for a button.
QIcon GlyphIcon(TGlyph glyph);
