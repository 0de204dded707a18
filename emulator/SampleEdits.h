// The edits the sampler carries out on sample data. Ranges are [start, end);
// an edit that reaches past the end of the data first extends it with
// silence, so the caller checks the memory before. Results saturate at the
// 16-bit limits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TSampleEdits {
public:
    using TData = std::vector<std::int16_t>;

    // Display points of the sampler's overview.
    static constexpr std::size_t OverviewPoints = 512;
    // Level that leaves a sample unchanged.
    static constexpr int UnityLevel = 128;

    static void Clear(TData& data, std::size_t start, std::size_t end);
    // Copies the samples from..to (both included) of source so that the
    // first lands at position in destination; source and destination may be
    // the same data and the ranges may overlap.
    static void Copy(const TData& source, std::size_t from, std::size_t to, TData& destination,
                     std::size_t position);
    static void Reverse(TData& data, std::size_t start, std::size_t end);
    // Linear: the first sample of a fade in becomes silent and the last is
    // kept, the other way round for a fade out.
    static void FadeIn(TData& data, std::size_t start, std::size_t end);
    static void FadeOut(TData& data, std::size_t start, std::size_t end);
    // Gain from startLevel at the first sample to endLevel at the last,
    // linearly; levels are 0..256 with UnityLevel as unity.
    static void Scale(TData& data, std::size_t start, std::size_t end, int startLevel,
                      int endLevel);
    // Brings the peak of the first `end` samples to full scale.
    static void Normalize(TData& data, std::size_t end);

    // The largest absolute value of each of 512 equal windows that together
    // cover [start, end) (at least one sample each); what lies past the data
    // counts as silence.
    static std::vector<std::uint16_t> Overview(const TData& data, std::size_t start,
                                               std::size_t end);
    // The level a level word carries: its low seven bits, and above them the
    // high byte.
    static int DecodeLevel(std::uint32_t word);
    static std::int16_t Saturate(double value);
    // Sample i, or silence past the data.
    static std::int16_t At(const TData& data, std::size_t i);

private:
    static void Grow(TData& data, std::size_t size);
    // Multiplies each sample of [start, end) by gain(position in range).
    template <typename TGain>
    static void Apply(TData& data, std::size_t start, std::size_t end, TGain gain);
};
