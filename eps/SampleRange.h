// A stretch of a wavesample's samples by the index of its first and of its
// last sample, as the sampler's addresses name them: the end and loop end
// words hold the index of the last sample, not of the one after it. Every
// count of samples comes from here, so that no layer is one off another.
#pragma once

#include <algorithm>
#include <cstdint>

struct TSampleRange {
    std::int32_t First = 0;
    // Before First for a range that holds no sample.
    std::int32_t Last = -1;

    // The range [first, end), for the requests and the view, which take the
    // sample after the last.
    static constexpr TSampleRange Before(std::int32_t first, std::int32_t end) {
        return {first, end - 1};
    }
    // The first count samples from first.
    static constexpr TSampleRange Counted(std::int32_t first, std::int32_t count) {
        return {first, first + count - 1};
    }

    constexpr std::int32_t Count() const { return std::max(Last - First + 1, 0); }
    // The sample after the last.
    constexpr std::int32_t End() const { return Last + 1; }
    constexpr bool Empty() const { return Last < First; }
    constexpr bool Contains(std::int32_t sample) const { return sample >= First && sample <= Last; }
    constexpr bool Contains(const TSampleRange& inner) const {
        return inner.Empty() || (Contains(inner.First) && Contains(inner.Last));
    }

    // Some sample lies in both.
    constexpr bool Overlaps(const TSampleRange& other) const {
        return !Empty() && !other.Empty() && First <= other.Last && other.First <= Last;
    }

    constexpr bool operator==(const TSampleRange&) const = default;
};
