// Where the ruler above the wave and the amplitude scale beside it put their
// marks and what they write there. The ruler counts samples or seconds at
// steps of 1, 2 or 5 times a power of ten, the smallest whose figures do not
// run into each other, so that its figures follow the zoom and the scroll;
// the amplitude scale marks full scale, half of it and zero in per cent of
// the largest sample, as far as the vertical scale lets the wave reach.
#pragma once

#include <QString>

#include <vector>

#include "wave/WaveViewState.h"

class QFontMetrics;
class TEps;

struct TRulerMark {
    // The pixel column (ruler) or row (scale) of the box the mark stands on.
    int Position;
    // Empty for a smaller mark between two figures.
    QString Text;
};

// The marks over a wave box width pixels wide, for the engine's view window.
std::vector<TRulerMark> SampleAxisMarks(const TEps& eps, TRulerUnit unit, int width,
                                        const QFontMetrics& metrics);
// The marks beside a wave box height pixels high at the vertical scale
// vScale, where a point of 128 * 2^vScale reaches the top edge.
std::vector<TRulerMark> AmplitudeMarks(int vScale, int height, const QFontMetrics& metrics);
