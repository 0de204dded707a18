// The wave area of the main window: draws the open wavesample's view in the
// wave box, keeps the scroll bar and the background in step with the engine's
// view window, and moves that window for Zoom In, Zoom Out, Show All and the
// scroll bar. The display points themselves stay in the engine; every change
// of the window has the engine read the points for it.
#pragma once

#include <QObject>

#include "wave/WaveSelection.h"

class QScrollBar;
class TEps;
class TEpsOwner;
class TWaveBox;
class TWaveCanvas;
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
    TWaveView(TEps& eps, TEpsOwner& owner, TWaveViewState& state, QWidget& scrollBox, TWaveBox& box,
              QScrollBar& scrollBar);

    // Background, scroll bar and repaint after the window or the points
    // changed.
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

    TWaveSelection Selection;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ScrollBarAction(int action);
    void MoveWindow(TScrollCode code, int position);

    TEps& Eps;
    TWaveViewState& State;
    QWidget& ScrollBox;
    TWaveBox& Box;
    QScrollBar& ScrollBar;
};
