#include "emulator/SampleEdits.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

void TSampleEdits::Clear(TData& data, std::size_t start, std::size_t end) {
    Grow(data, end);
    std::fill(data.begin() + start, data.begin() + end, std::int16_t{0});
}

void TSampleEdits::Copy(const TData& source, std::size_t from, std::size_t to, TData& destination,
                        std::size_t position) {
    // Read everything first: the source may be the destination.
    TData run(to - from + 1);
    for (std::size_t i = 0; i < run.size(); ++i) {
        run[i] = At(source, from + i);
    }
    Grow(destination, position + run.size());
    std::copy(run.begin(), run.end(), destination.begin() + position);
}

void TSampleEdits::Reverse(TData& data, std::size_t start, std::size_t end) {
    Grow(data, end);
    std::reverse(data.begin() + start, data.begin() + end);
}

void TSampleEdits::FadeIn(TData& data, std::size_t start, std::size_t end) {
    const double last = std::max<double>(1.0, static_cast<double>(end - start) - 1.0);
    Apply(data, start, end, [&](std::size_t k) { return static_cast<double>(k) / last; });
}

void TSampleEdits::FadeOut(TData& data, std::size_t start, std::size_t end) {
    const double last = std::max<double>(1.0, static_cast<double>(end - start) - 1.0);
    Apply(data, start, end, [&](std::size_t k) { return 1.0 - static_cast<double>(k) / last; });
}

void TSampleEdits::Scale(TData& data, std::size_t start, std::size_t end, int startLevel,
                         int endLevel) {
    const double last = std::max<double>(1.0, static_cast<double>(end - start) - 1.0);
    Apply(data, start, end, [&](std::size_t k) {
        const double level = startLevel + (endLevel - startLevel) * static_cast<double>(k) / last;
        return level / UnityLevel;
    });
}

void TSampleEdits::Normalize(TData& data, std::size_t end) {
    end = std::min(end, data.size());
    int peak = 0;
    for (std::size_t i = 0; i < end; ++i) {
        peak = std::max(peak, std::abs(static_cast<int>(data[i])));
    }
    if (peak == 0) {
        return; // silence stays silence
    }
    const double gain = static_cast<double>(std::numeric_limits<std::int16_t>::max()) / peak;
    Apply(data, 0, end, [&](std::size_t) { return gain; });
}

std::vector<std::uint16_t> TSampleEdits::Overview(const TData& data, std::size_t start,
                                                  std::size_t end) {
    // The editor asks for twice the span it shows (1024 windows' worth) and
    // draws the 512 points as windows of (end - start) / 1024 samples.
    const std::size_t width = std::max<std::size_t>(1, (end - start) / (2 * OverviewPoints));
    std::vector<std::uint16_t> points(OverviewPoints);
    for (std::size_t p = 0; p < OverviewPoints; ++p) {
        int peak = 0;
        const std::size_t first = start + p * width;
        for (std::size_t i = first; i < first + width && i < data.size(); ++i) {
            peak = std::max(peak, std::abs(static_cast<int>(data[i])));
        }
        // The view takes the words as signed: 32768 would show as -32768.
        points[p] = static_cast<std::uint16_t>(std::min(peak, 32767));
    }
    return points;
}

int TSampleEdits::DecodeLevel(std::uint32_t word) {
    return static_cast<int>(((word >> 8) << 7) | (word & 0x7F));
}

std::int16_t TSampleEdits::Saturate(double value) {
    const double rounded = std::round(value);
    return static_cast<std::int16_t>(std::clamp(rounded, -32768.0, 32767.0));
}

std::int16_t TSampleEdits::At(const TData& data, std::size_t i) {
    return i < data.size() ? data[i] : std::int16_t{0};
}

void TSampleEdits::Grow(TData& data, std::size_t size) {
    if (data.size() < size) {
        data.resize(size, 0);
    }
}

template <typename TGain>
void TSampleEdits::Apply(TData& data, std::size_t start, std::size_t end, TGain gain) {
    Grow(data, end);
    for (std::size_t i = start; i < end; ++i) {
        data[i] = Saturate(data[i] * gain(i - start));
    }
}
