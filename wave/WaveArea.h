// The wave area's widgets as one: the wave box with the ruler above it and
// the amplitude scale at its left, so that both line up with its columns and
// rows, and the scroll bar along the bottom edge, shown only while the view
// is zoomed. Its own ground is the one the wave view paints.
#pragma once

#include <QWidget>

class QScrollBar;
class TWaveBox;
class TWaveRuler;

class TWaveArea : public QWidget {
    Q_OBJECT

public:
    explicit TWaveArea(QWidget* parent = nullptr);

    TWaveBox* const Box;
    TWaveRuler* const Ruler;
    TWaveRuler* const AmplitudeScale;
    QScrollBar* const ScrollBar;
};
