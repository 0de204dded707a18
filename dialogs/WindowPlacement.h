// Where the program's own windows come up: over the window they belong to,
// as its messages do, wherever that stands, and never out of the screen's
// reach.
#pragma once

class QWidget;

class TWindowPlacement {
public:
    // Over the owner's window where it is on screen, else in the middle of
    // the screen; kept on the screen either way.
    static void CentreOver(QWidget& window, const QWidget* owner);
};
