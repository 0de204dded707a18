#include "transfer/TimeLeft.h"

#include <algorithm>

float TTimeLeft::Next(float estimate, float secondsSince) {
    if (!Started) {
        Started = true;
        Shown = estimate;
        return Shown;
    }
    const float counted = std::max(Shown - secondsSince, 0.0f);
    Shown = counted + (estimate - counted) * Weight;
    return Shown;
}
