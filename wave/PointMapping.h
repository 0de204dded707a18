// How the 512 display points of the view spread over the pixel columns of a
// wave box of width W: column c shows the point nearest to it, and point p
// lies on the column nearest to it. Only meaningful for W >= 2.
#pragma once

#include <cmath>
#include <cstdint>

#include "eps/Eps.h"

constexpr int LastPoint = ViewPointCount - 1;

// The display point under pixel column x.
inline int PointIndex(int x, int width) {
    return static_cast<int>(std::floor(double(x) * LastPoint / (width - 1) + 0.5));
}

// The pixel column of display point p; p may lie outside the window.
inline int PointColumn(std::int32_t p, int width) {
    return static_cast<int>(std::floor(double(p) * (width - 1) / LastPoint + 0.5));
}

// A marker at sample m is drawn: both ends of the window included, so that
// a marker on the sample after the window still shows.
inline bool MarkerInView(std::int32_t m, const TEps& eps) {
    return eps.ViewStart <= m && m <= eps.ViewEnd;
}

// The pixel column of a marker at sample m inside the window. A marker on the
// window's end would fall one column past the box: it is kept on the last
// column, so that it shows at the right edge.
inline int MarkerColumn(std::int32_t m, const TEps& eps, int width) {
    const std::int64_t point = (m - eps.ViewStart) / eps.SamplesPerPoint;
    const auto column = static_cast<int>(point * width / LastPoint);
    return column < width ? column : width - 1;
}
