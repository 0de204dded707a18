// A sound file as the upload makes it into a wavesample's words: the PCM
// WAVE files our own reader converts, and whatever else libsndfile reads,
// every frame mixed into one channel, at a rate a sampling period plays at
// the file's pitch, as 16-bit words.
//
// A file whose rate a period gives (within 0.05 %) keeps its frames, sample
// for sample; any other is resampled to the nearest period's rate, and rates
// above 44,642 Hz (period 14, the fastest every model plays) come down to it.
// Samples deeper than 16 bits, and every resampled one, are rounded with
// triangular dither whose noise starts from the same seed on every decoding,
// so that a verification decodes the very words the upload sent.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "transfer/WaveFile.h"

// libsndfile's SNDFILE, kept out of the header.
struct sf_private_tag;

struct TSoundSource {
    // "WAVE", "AIFF", "FLAC", "Ogg Vorbis", "MP3"...
    std::string Format;
    std::uint32_t Rate = 0;
    std::uint32_t Channels = 0;
    // "16-bit", "24-bit", "32-bit float"; empty for a compressed stream.
    std::string Depth;
    std::uint64_t Frames = 0;
    // Integer samples of at most 16 bits: words of their own, no rounding.
    bool Exact = false;
};

// "0:12.5", or "1:02:03.4" from an hour on; withHours always gives the
// hours, tenths the tenths of a second.
std::string ClockText(double seconds, bool tenths, bool withHours = false);

class TSoundFile {
public:
    // A sample address is 32 bits with 9 bits of fraction: the end of a
    // longer wavesample would wrap round to the start of the memory.
    static constexpr std::uint32_t MaxWords = UINT32_MAX >> 9;
    // The period of the highest rate every model of the family plays.
    static constexpr std::uint32_t FastestPeriod = 14;

    // Reads the header of stream (not owned; it must stay open until Decode
    // is done) and plans the conversion; name is the file's for messages.
    // keepRate takes the period RateToPeriod gives and never resamples.
    TSoundFile(std::FILE* stream, const std::string& name, bool keepRate);
    ~TSoundFile();
    TSoundFile(const TSoundFile&) = delete;
    TSoundFile& operator=(const TSoundFile&) = delete;

    // Why the file cannot be uploaded, one line naming it; empty while it
    // can.
    const std::optional<std::string>& Problem() const { return Why; }
    const TSoundSource& Source() const { return Info; }
    // A RIFF WAVE file, whose chunks may hold a loop and parameter words.
    bool IsWave() const { return Info.Format == "WAVE"; }
    std::uint32_t Period() const { return PeriodTicks; }
    bool Resamples() const { return Resampled; }
    // Words per frame of the file.
    double Ratio() const { return Resampled ? PeriodRate() / Info.Rate : 1.0; }
    // The words the file becomes, known before it is decoded.
    std::uint32_t Words() const { return WordCount; }

    // Every word, from the start of the file; once per object. Empty, with
    // Problem set, when the file ends before the frames its header promised.
    std::optional<std::vector<std::int16_t>> Decode();
    // Samples that lay beyond 16 bits and were held at the limit.
    std::uint64_t Clipped() const { return ClippedCount; }

    // "FLAC, 48000 Hz, 2 channels, 24-bit, 0:12.5 → 44642 Hz, 558,036 words"
    std::string Description() const;
    // What the words are not of the file's own: "converted from 48000 Hz;
    // 3 samples clipped"; empty when they are.
    std::string ConversionNote() const;

    // The file name extensions (without a dot) of every format this
    // libsndfile reads, for a file dialog's filter.
    static std::vector<std::string> Extensions();

private:
    struct TLibraryCloser {
        void operator()(sf_private_tag* sound) const;
    };

    bool OpenWave(std::optional<std::string>& problem);
    bool OpenLibrary(const std::optional<std::string>& waveProblem);
    // The period, whether to resample and the word count, refusing a sound
    // no wavesample holds.
    void PlanRate(bool keepRate);
    double PeriodRate() const;
    // The period's rate as the sampler's rate is named everywhere else, in
    // whole hertz cut short: "44642 Hz" for period 14.
    std::string PeriodRateText() const;
    // Up to count frames mixed into one channel, as words or as samples of
    // -1..1; fewer at the end of the file.
    std::size_t ReadWords(std::int32_t* out, std::size_t count);
    std::size_t ReadSamples(float* out, std::size_t count);
    bool DecodeExact(std::vector<std::int16_t>& words);
    bool DecodeRounded(std::vector<std::int16_t>& words);
    // Appends a sample of -1..1 as a word, dithered and held within 16 bits,
    // while words lack any.
    void Round(float sample, std::vector<std::int16_t>& words);
    // Triangular noise of -1..1 LSB: the sum of two uniform values.
    float Noise();
    float Uniform();
    bool Refuse(const std::string& why);

    std::FILE* Stream;
    std::string Name;
    std::optional<TWaveFormat> Wave;
    std::unique_ptr<sf_private_tag, TLibraryCloser> Library;
    TSoundSource Info;
    std::uint32_t PeriodTicks = 0;
    bool Resampled = false;
    std::uint32_t WordCount = 0;
    std::uint64_t FramesRead = 0;
    std::uint64_t ClippedCount = 0;
    std::uint32_t NoiseState = 0;
    // The frames of the block on hand as the file holds them, and mixed.
    std::vector<float> Interleaved;
    std::vector<short> InterleavedWords;
    std::vector<std::int32_t> MixedWords;
    std::optional<std::string> Why;
};
