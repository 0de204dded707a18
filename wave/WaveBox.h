// The paint box of the wave area. It keeps its picture in an image of its own
// size: the picture is drawn anew (by the Paint handler) only after
// Invalidate or a change of size, and every paint in between merely shows
// it, so exposing the window costs nothing. Between paints the owner may
// invert columns of the picture directly, which a second inversion undoes,
// or have a band of columns shown under a translucent colour, which leaves
// the picture as it is.
// Presses, moves and releases are handed on in pixel coordinates; while a
// button pressed in the box is held, moves keep coming from outside it.
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QWidget>

#include "wave/WaveCanvas.h"

class TWaveBox : public QWidget {
    Q_OBJECT

public:
    explicit TWaveBox(QWidget* parent = nullptr);

    // The picture is out of date; it is drawn again at the next paint.
    void Invalidate();
    // The picture as it shows, drawn first when it is out of date.
    const QImage& Picture();
    // Inverts columns left .. right - 1 over the whole height, straight on
    // the picture.
    void InvertColumns(int left, int right);
    // Shows columns left .. right - 1 under the colour, in place of any band
    // shown before; an invalid colour shows none.
    void TintColumns(int left, int right, const QColor& colour);

signals:
    // Draw the whole picture on canvas, the box's size.
    void Paint(TWaveCanvas& canvas);
    void MouseDown(Qt::MouseButton button, int x, int y, Qt::KeyboardModifiers modifiers);
    void MouseMove(int x, int y);
    void MouseUp(Qt::MouseButton button, int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Redraw();

    QImage Image;
    QRect Tint;
    QColor TintColour;
    bool Stale = true;
    bool Drawing = false;
};
