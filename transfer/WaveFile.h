// RIFF WAVE files: reading PCM files for upload (every frame mixed into one
// 16-bit sample word) and writing the mono 16-bit files of a download. Every
// diagnostic goes to the debug trace; the workflows tell the user.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "eps/ParameterBlocks.h"

struct TWaveFormat {
    std::uint16_t FormatTag = 0;
    std::uint16_t Channels = 0;
    std::uint32_t SampleRate = 0;
    std::uint32_t ByteRate = 0;
    std::uint16_t BlockAlign = 0;
    std::uint16_t BitsPerSample = 0;
    std::uint32_t DataSize = 0;
    std::uint32_t FrameCount = 0;
};

// Reads up to and including the data chunk's header and leaves the stream on
// the first sample byte. Empty on failure, after tracing why.
std::optional<TWaveFormat> ReadWaveHeader(std::FILE* stream);

// Why the frames of a header that was read cannot be converted (a channel
// count or sample width the reader does not mix, no sample rate), for the
// user; empty when they can.
std::optional<std::string> WaveFormatProblem(const TWaveFormat& format);

// Converts up to maxFrames frames into buffer[0..], stopping when framesRead
// reaches the format's FrameCount; advances framesRead and returns the number
// of frames converted.
std::uint32_t ReadWaveBlock(std::FILE* stream, const TWaveFormat& format, std::int32_t* buffer,
                            std::uint32_t maxFrames, std::uint32_t& framesRead);

// The 44-byte header of a mono 16-bit file of `words` samples at `rate` Hz.
void WriteWaveHeader(std::FILE* stream, std::uint32_t words, std::uint32_t rate);
// Writes the low 16 bits of buffer[0..count) as little-endian samples.
void WriteWaveBlock(std::FILE* stream, const std::int32_t* buffer, std::uint32_t count);

// What other tools read from a "smpl" chunk: the key that plays the samples
// at their own pitch and one loop, in sample frames of the file, the end
// being the loop's last frame.
struct TWaveLoop {
    std::uint32_t SampleRate = 0;
    std::uint32_t UnityNote = 60;
    bool Loops = false;
    bool Alternating = false;
    std::uint32_t Start = 0;
    std::uint32_t End = 0;

    bool operator==(const TWaveLoop&) const = default;
};

// The root key (kept inside the key range) and, in a loop mode, the loop of
// a wavesample's words as frames of a file whose first frame holds the
// sample at address origin and that holds `frames` samples at `rate` Hz. A
// loop that does not lie within those frames is left out. The download
// writes this; the upload compares a file's "smpl" chunk with it to tell
// whether another tool changed the loop.
TWaveLoop WaveLoopOf(const TWaveSampleBlock& words, std::int32_t origin, std::uint32_t frames,
                     std::uint32_t rate);

// Appends a "smpl" chunk after the data of a file WriteWaveHeader began and
// makes the RIFF size count it.
void WriteWaveLoop(std::FILE* stream, const TWaveLoop& loop);
// What a file's "smpl" chunk says.
struct TWaveLoopChunk {
    // Empty when the file has no such chunk or the chunk is damaged.
    std::optional<TWaveLoop> Loop;
    // Why a chunk that is there cannot be used, for the user: "its smpl
    // chunk holds 36 bytes; 60 expected for the 1 loop it names."
    std::optional<std::string> Problem;
};

// The first "smpl" chunk of a RIFF WAVE file, wherever it lies among the
// chunks, with its first loop. The stream is where it was afterwards.
TWaveLoopChunk ReadWaveLoop(std::FILE* stream);

// What this program's own "tvwp" chunk of a file holds: every parameter word
// of the wavesample a download saved, as the sampler gave them.
struct TWaveParameters {
    // Empty when the file has no such chunk or the chunk is damaged.
    std::optional<TWaveSampleBlock> Words;
    // Why a chunk that is there cannot be used, for the user: "its Tavimor
    // parameter chunk holds 138 words; 139 expected."
    std::optional<std::string> Problem;
};

// Appends a "tvwp" chunk (layout version 1, the word count, then each word
// as 16 bits, all little-endian) and makes the RIFF size count it.
void WriteWaveParameters(std::FILE* stream, const TWaveSampleBlock& words);
// The first "tvwp" chunk of a RIFF WAVE file, wherever it lies among the
// chunks. The stream is where it was afterwards.
TWaveParameters ReadWaveParameters(std::FILE* stream);

// The sampler keeps the rate as a period of 1.6-microsecond ticks in bits
// 8..15 of parameter word 131.
constexpr std::uint32_t PeriodTicksPerSecond = 625000;
constexpr std::uint32_t LongestPeriod = 255; // what fits in bits 8..15
std::uint32_t RateToPeriod(std::uint32_t rate);
// 0 for a word whose period is 0: there is no rate to tell.
std::uint32_t PeriodToRate(std::uint32_t word);
