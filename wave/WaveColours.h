// The colours of the wave area in either of its looks: the classic one,
// green on black, or one taken from the desktop's palette, light or dark as
// the desktop is.
#pragma once

#include <QColor>

#include "wave/WaveViewState.h"

class QPalette;

struct TWaveColours {
    QColor Background;
    // The ground while no wavesample is open.
    QColor ClosedBackground;
    // The zero line of the exact view.
    QColor CentreLine;
    QColor Wave;
    // Before the start marker and after the end marker, where nothing
    // plays.
    QColor DimBackground;
    QColor DimWave;
    QColor LoopMarker;
    QColor SampleMarker;
    // The figures and marks of the ruler and the amplitude scale.
    QColor Ruler;
    // Laid over the selected columns; invalid where the selection turns the
    // pixels under it over instead.
    QColor SelectionFill;

    static const TWaveColours Classic;
    // The classic colours, or the desktop palette's.
    static TWaveColours Of(TWaveLook look, const QPalette& palette);
    // Those of the application's palette now.
    static TWaveColours Of(TWaveLook look);
};
