// The wave area of the main window: draws the open wavesample's view in the
// wave box, keeps the ruler, the amplitude scale, the scroll bar and the
// background in step with the engine's view window and the vertical scale,
// and moves that window for Zoom In, Zoom Out, Show All, the
// scroll bar, the wheel and the Home and End keys. The display points
// themselves stay in the engine; every change of the window has the engine
// read the points for it. The mouse in the box selects, or drags a marker
// when pressed on one.
#pragma once

#include <QObject>

#include "wave/MarkerDrag.h"
#include "wave/WaveNavigator.h"
#include "wave/WaveSelection.h"

class QScrollBar;
class QWheelEvent;
class TEps;
class TEpsOwner;
class TWaveArea;
class TWaveBox;
class TWaveCanvas;
class TWaveCommands;
struct TWaveViewState;

// The scroll bar's events, as the window reacts to them.
enum TScrollCode {
    scLineUp,   // one line toward the start
    scLineDown, // one line toward the end
    scPageUp,   // one page toward the start
    scPageDown, // one page toward the end
    scPosition, // the thumb was released
    scTrack,    // the thumb is being dragged
    scTop,      // to the start
    scBottom,   // to the end
};

class TWaveView : public QObject {
    Q_OBJECT

public:
    static constexpr int ScrollRange = 1000;

    // The widgets are the main window's; the view answers their events.
    TWaveView(TEps& eps, TEpsOwner& owner, TWaveViewState& state, TWaveArea& area,
              TWaveCommands& commands);

    // Background, scroll bar and repaint after the window, the points or
    // the look changed.
    void UpdateView();
    // The paint handler of the wave box.
    void WaveBoxPaint(TWaveCanvas& canvas);

    void ZoomIn();
    void ZoomOut();
    void ShowAll();
    // Returns the scroll bar's new position: where the window now is.
    int ScrollBarScroll(TScrollCode code, int position);
    // Where the thumb stands for the window as it is.
    int ScrollPosition() const;

    // The keys of the wave area: Escape lets go of a dragged marker or else
    // clears the selection; Home and End move the window to the
    // wavesample's ends and, with Shift, the selection with it. True when
    // the key was used.
    bool KeyPress(int key, Qt::KeyboardModifiers modifiers);

    TWaveSelection Selection;
    TMarkerDrag Markers;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ScrollBarAction(int action);
    void MouseDown(Qt::MouseButton button, int x, int y, Qt::KeyboardModifiers modifiers);
    // The wheel over the box or the scroll bar, at column x of the box.
    void WheelTurned(const QWheelEvent& event, int x);
    bool MouseBusy() const;
    void EndKey(bool home, Qt::KeyboardModifiers modifiers);
    void MoveWindow(TScrollCode code, int position);

    TEps& Eps;
    TWaveViewState& State;
    TWaveArea& Area;
    TWaveBox& Box;
    QScrollBar& ScrollBar;
    TWaveNavigator Navigator;
};
