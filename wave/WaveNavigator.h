// Moves the engine's view window for the mouse wheel and the Home and End
// keys. The wheel with Ctrl zooms about the point under the mouse, without it
// scrolls a zoomed window; every notch halves, doubles or moves the window
// once, so that a turn costs one read of the display points per notch, and
// a high-resolution wheel or a trackpad adds its small steps up to a notch
// first. A change that leaves the window where it was reads nothing.
#pragma once

#include <QPoint>
#include <Qt>

#include <cstdint>

class TEps;
class TWaveBox;

class TWaveNavigator {
public:
    // The delta of one notch of an ordinary wheel.
    static constexpr int NotchDelta = 120;
    // A notch scrolls by this share of the window.
    static constexpr int ScrollShare = 8;

    TWaveNavigator(TEps& eps, TWaveBox& box);

    // A turn of the wheel by delta (as the wheel event gives it) with the
    // mouse over column x of the wave box.
    void Wheel(QPoint delta, Qt::KeyboardModifiers modifiers, int x);
    // The window, as wide as it is, to the wavesample's start or end.
    void Home();
    void End();

private:
    static int Notches(int& rest, int delta);
    void Zoom(int notches, int x);
    void Scroll(int notches);
    std::int32_t Span() const;
    // The window of span samples from start, kept inside the wavesample.
    void Show(std::int32_t start, std::int32_t span);

    TEps& Eps;
    TWaveBox& Box;
    // What the wheel turned short of a whole notch.
    int ZoomRest = 0;
    int ScrollRest = 0;
};
