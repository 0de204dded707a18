// What the main window keeps about its wave view besides the engine's view
// window: the vertical scale, the selection, and how the area looks.
//
// The selection is held in samples, so that it stays on the same samples when
// the window moves, and is made in display points of the window it was made
// in. SelEnd is the last selected sample (inclusive).
#pragma once

#include <cstdint>

#include "eps/SampleRange.h"

// The colours of the wave area: green on black, or the desktop's.
enum TWaveLook { wlClassic, wlTheme };
// What the ruler above the wave counts: sample numbers or seconds.
enum TRulerUnit { ruSamples, ruTime };

// The vertical scales run from 0 (1:1) to this (1:256).
constexpr int LargestVScale = 8;

struct TWaveViewState {
    // The vertical scale: a point of 128 * 2^VScale reaches the top edge.
    int VScale = LargestVScale;
    // The left button was pressed in the wave box and is still held.
    bool Dragging = false;
    // Display points where the drag began and where the mouse is now.
    int AnchorPoint = 0;
    int CurrentPoint = 0;
    std::int32_t SelStart = 0;
    std::int32_t SelEnd = 0;
    bool HasSelection = false;

    TSampleRange Selection() const { return {SelStart, SelEnd}; }
    // The selection shows on the picture now, over columns DrawnLeft ..
    // DrawnRight (both included).
    bool SelectionDrawn = false;
    int DrawnLeft = 0;
    int DrawnRight = 0;

    // The look, which the selection is shown in too.
    TWaveLook Look = wlClassic;
    TRulerUnit RulerUnit = ruSamples;
};
