#include "transfer/WaveFile.h"

#include <algorithm>
#include <cstring>

#include "debug/DebugDevice.h"

namespace {

constexpr std::uint32_t FmtSize = 16;
constexpr std::uint32_t HeaderSize = 44;
constexpr std::uint32_t NanosecondsPerSecond = 1000000000;
constexpr std::uint32_t RiffHeaderSize = 12;
constexpr std::uint32_t ParametersLayout = 1;
// The layout version and the word count, then the words.
constexpr std::uint32_t ParametersBytes = 4 + 2 * WaveSampleWords;
// A "smpl" chunk: nine fields, the loop count the eighth, then each loop.
constexpr std::uint32_t LoopFixedBytes = 36;
constexpr std::uint32_t LoopRecordBytes = 24;

void Trace(const std::string& text) {
    DebugWriteLn(DebugDevice, text);
}

bool ReadBytes(std::FILE* stream, void* to, std::size_t count) {
    return std::fread(to, 1, count, stream) == count;
}

std::uint32_t ReadLittle(std::FILE* stream, int bytes, bool& ok) {
    std::uint8_t raw[4] = {};
    ok = ReadBytes(stream, raw, static_cast<std::size_t>(bytes)) && ok;
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = (value << 8) | raw[i];
    }
    return value;
}

void WriteLittle(std::FILE* stream, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        std::fputc(static_cast<int>((value >> (8 * i)) & 0xFF), stream);
    }
}

bool IsTag(const char (&tag)[4], const char* expected) {
    return std::memcmp(tag, expected, 4) == 0;
}

// The bytes from here to the end of the file, so that a data chunk that
// claims more than the file holds yields only the frames that are there.
std::uint32_t BytesLeft(std::FILE* stream) {
    const long here = std::ftell(stream);
    if (here < 0 || std::fseek(stream, 0, SEEK_END) != 0) {
        return 0;
    }
    const long end = std::ftell(stream);
    std::fseek(stream, here, SEEK_SET);
    // Compared as 64 bits: where a long has 32, UINT32_MAX as a long is -1.
    return end > here ? static_cast<std::uint32_t>(std::min<std::uint64_t>(
                            static_cast<std::uint64_t>(end - here), UINT32_MAX))
                      : 0;
}

// RIFF chunks are padded to an even size. A chunk that claims more than the
// file holds leaves the reading at the end of the file; seeking by its size
// could wrap round where a long has 32 bits.
bool SkipChunk(std::FILE* stream, std::uint32_t size) {
    const std::uint64_t skip = std::uint64_t{size} + (size & 1);
    if (skip > BytesLeft(stream)) {
        return std::fseek(stream, 0, SEEK_END) == 0;
    }
    return std::fseek(stream, static_cast<long>(skip), SEEK_CUR) == 0;
}

// Walks the chunks after the RIFF header to the first one tagged `tag` and
// leaves the stream on its first byte; its size, or empty when there is none.
std::optional<std::uint32_t> FindChunk(std::FILE* stream, const char* tag) {
    bool ok = std::fseek(stream, RiffHeaderSize, SEEK_SET) == 0;
    while (ok) {
        char found[4] = {};
        ok = ReadBytes(stream, found, 4);
        const std::uint32_t size = ReadLittle(stream, 4, ok);
        if (ok && IsTag(found, tag)) {
            return size;
        }
        ok = ok && SkipChunk(stream, size);
    }
    return std::nullopt;
}

// read(size) on the first chunk tagged `tag`, or read's empty result when
// there is none; the stream is where it was afterwards, so that a reader of
// the header or the frames can look for chunks on the way.
template <typename TRead>
auto ReadChunk(std::FILE* stream, const char* tag, TRead read) -> decltype(read(0U)) {
    const long here = std::ftell(stream);
    const std::optional<std::uint32_t> size = FindChunk(stream, tag);
    auto result = size ? read(*size) : decltype(read(0U)){};
    std::fseek(stream, here, SEEK_SET);
    return result;
}

// Writes a chunk's tag and size at the end of the file; EndChunk, once its
// body is written, makes the RIFF size count it.
void BeginChunk(std::FILE* stream, const char* tag, std::uint32_t size) {
    std::fseek(stream, 0, SEEK_END);
    std::fwrite(tag, 1, 4, stream);
    WriteLittle(stream, size, 4);
}

void EndChunk(std::FILE* stream) {
    const long size = std::ftell(stream);
    std::fseek(stream, 4, SEEK_SET);
    WriteLittle(stream, static_cast<std::uint32_t>(size - 8), 4);
}

bool ReadFmtChunk(std::FILE* stream, std::uint32_t size, TWaveFormat& format) {
    if (size < FmtSize) {
        Trace("fmt chunk too short");
        return false;
    }
    bool ok = true;
    format.FormatTag = static_cast<std::uint16_t>(ReadLittle(stream, 2, ok));
    format.Channels = static_cast<std::uint16_t>(ReadLittle(stream, 2, ok));
    format.SampleRate = ReadLittle(stream, 4, ok);
    format.ByteRate = ReadLittle(stream, 4, ok);
    format.BlockAlign = static_cast<std::uint16_t>(ReadLittle(stream, 2, ok));
    if (ok && format.FormatTag != 1) {
        Trace("Unsuported format :" + std::to_string(format.FormatTag));
        return false;
    }
    format.BitsPerSample = static_cast<std::uint16_t>(ReadLittle(stream, 2, ok));
    if (!ok) {
        Trace("Unexpected EOF");
        return false;
    }
    if (format.BlockAlign == 0) {
        Trace("Block align is 0");
        return false;
    }
    // Extended fmt chunks carry more than the 16 bytes read here.
    return size == FmtSize || SkipChunk(stream, size - FmtSize);
}

bool AcceptDataChunk(std::FILE* stream, std::uint32_t size, TWaveFormat& format) {
    format.DataSize = size;
    format.FrameCount = std::min(size, BytesLeft(stream)) / format.BlockAlign;
    if (format.FrameCount == 0) {
        Trace("No WAVE size specified");
        Trace(std::to_string(format.DataSize));
        Trace(std::to_string(format.BlockAlign));
        return false;
    }
    return true;
}

std::int32_t ReadFrame(std::FILE* stream, const TWaveFormat& format) {
    bool ok = true;
    if (format.BitsPerSample == 8) {
        const auto left = static_cast<std::int32_t>(ReadLittle(stream, 1, ok));
        if (format.Channels == 1) {
            return left * 256 - 32768;
        }
        const auto right = static_cast<std::int32_t>(ReadLittle(stream, 1, ok));
        return left * 128 + right * 128 - 32768;
    }
    const std::uint32_t left = ReadLittle(stream, 2, ok);
    if (format.Channels == 1) {
        return static_cast<std::int32_t>(left);
    }
    const auto right = static_cast<std::int16_t>(ReadLittle(stream, 2, ok));
    return static_cast<std::int16_t>(left) / 2 + right / 2;
}

// A chunk too short for the loops it names is damaged: what would fill it up
// belongs to the next chunk, and a loop read from there would play other
// frames than any the file's author chose. The bytes it holds are there to
// be read.
TWaveLoopChunk ReadLoopChunk(std::FILE* stream, std::uint32_t size) {
    const std::uint32_t held = std::min(size, BytesLeft(stream));
    const std::string holds = "its smpl chunk holds " + std::to_string(held) + " bytes; ";
    if (held < LoopFixedBytes) {
        return {std::nullopt, holds + std::to_string(LoopFixedBytes) + " expected."};
    }
    bool ok = true;
    std::uint32_t fields[9] = {};
    for (std::uint32_t& field : fields) {
        field = ReadLittle(stream, 4, ok);
    }
    const std::uint64_t needed = LoopFixedBytes + std::uint64_t{fields[7]} * LoopRecordBytes;
    if (held < needed) {
        return {std::nullopt, holds + std::to_string(needed) + " expected for the " +
                                  std::to_string(fields[7]) +
                                  (fields[7] == 1 ? " loop" : " loops") + " it names."};
    }
    TWaveLoop loop;
    loop.SampleRate = fields[2] == 0 ? 0 : NanosecondsPerSecond / fields[2];
    loop.UnityNote = fields[3];
    if (fields[7] > 0) {
        ReadLittle(stream, 4, ok); // cue point
        const std::uint32_t type = ReadLittle(stream, 4, ok);
        loop.Start = ReadLittle(stream, 4, ok);
        loop.End = ReadLittle(stream, 4, ok);
        loop.Loops = true;
        loop.Alternating = type == 1;
    }
    return {loop, std::nullopt};
}

// A chunk of another layout or length is refused whole: words shifted or
// missing would set other parameters than the ones saved.
TWaveParameters ReadParameterChunk(std::FILE* stream, std::uint32_t size) {
    const std::uint32_t held = std::min(size, BytesLeft(stream));
    const std::string chunk = "its Tavimor parameter chunk ";
    bool ok = held >= 4;
    const std::uint32_t layout = ReadLittle(stream, 2, ok);
    const std::uint32_t count = ReadLittle(stream, 2, ok);
    if (ok && layout != ParametersLayout) {
        return {std::nullopt, chunk + "has layout version " + std::to_string(layout) + "; only " +
                                  std::to_string(ParametersLayout) + " is known."};
    }
    if (ok && count != WaveSampleWords) {
        return {std::nullopt, chunk + "holds " + std::to_string(count) + " words; " +
                                  std::to_string(WaveSampleWords) + " expected."};
    }
    TWaveSampleBlock words{};
    for (std::int32_t& word : words) {
        word = static_cast<std::int32_t>(ReadLittle(stream, 2, ok));
    }
    if (!ok || held != ParametersBytes) {
        return {std::nullopt, chunk + "holds " + std::to_string(held) + " bytes; " +
                                  std::to_string(ParametersBytes) + " expected."};
    }
    return {words, std::nullopt};
}

} // namespace

std::optional<TWaveFormat> ReadWaveHeader(std::FILE* stream) {
    Trace("Reading Header");
    char tag[4] = {};
    const bool riff = ReadBytes(stream, tag, 4) && IsTag(tag, "RIFF");
    // The RIFF size is not needed; a file that ends inside it is judged by
    // its form type, which is missing then.
    ReadBytes(stream, tag, 4);
    if (!riff) {
        Trace("Not a RIFF file");
        return std::nullopt;
    }
    if (!ReadBytes(stream, tag, 4) || !IsTag(tag, "WAVE")) {
        Trace("Not a RIFF WAVE file");
        return std::nullopt;
    }
    TWaveFormat format;
    bool fmtSeen = false;
    for (;;) {
        bool ok = ReadBytes(stream, tag, 4);
        const std::uint32_t size = ReadLittle(stream, 4, ok);
        if (!ok || std::feof(stream)) {
            Trace("Unexpected EOF");
            return std::nullopt;
        }
        if (IsTag(tag, "fmt ")) {
            if (!ReadFmtChunk(stream, size, format)) {
                return std::nullopt;
            }
            fmtSeen = true;
        } else if (IsTag(tag, "data")) {
            if (!fmtSeen) {
                Trace("Data chunk found without fmt");
                return std::nullopt;
            }
            return AcceptDataChunk(stream, size, format) ? std::optional(format) : std::nullopt;
        } else if (!SkipChunk(stream, size)) {
            Trace("Unexpected EOF");
            return std::nullopt;
        }
    }
}

std::optional<std::string> WaveFormatProblem(const TWaveFormat& format) {
    if (format.Channels != 1 && format.Channels != 2) {
        return "The file has " + std::to_string(format.Channels) +
               " channels; only mono and stereo files can be sent.";
    }
    if (format.BitsPerSample != 8 && format.BitsPerSample != 16) {
        return "The file has " + std::to_string(format.BitsPerSample) +
               "-bit samples; only 8-bit and 16-bit files can be sent.";
    }
    if (format.BlockAlign < format.Channels * format.BitsPerSample / 8) {
        return "The file's frames are shorter than its channels and sample width need.";
    }
    if (format.SampleRate == 0) {
        return "The file gives no sample rate.";
    }
    return std::nullopt;
}

std::uint32_t ReadWaveBlock(std::FILE* stream, const TWaveFormat& format, std::int32_t* buffer,
                            std::uint32_t maxFrames, std::uint32_t& framesRead) {
    if (WaveFormatProblem(format)) {
        return 0;
    }
    const long padding = format.BlockAlign - format.Channels * format.BitsPerSample / 8;
    std::uint32_t count = 0;
    while (count < maxFrames && framesRead < format.FrameCount) {
        buffer[count++] = ReadFrame(stream, format);
        if (padding > 0) {
            std::fseek(stream, padding, SEEK_CUR);
        }
        ++framesRead;
    }
    return count;
}

void WriteWaveHeader(std::FILE* stream, std::uint32_t words, std::uint32_t rate) {
    std::fwrite("RIFF", 1, 4, stream);
    WriteLittle(stream, 2 * words + HeaderSize - 8, 4);
    std::fwrite("WAVEfmt ", 1, 8, stream);
    WriteLittle(stream, FmtSize, 4);
    WriteLittle(stream, 1, 2);
    WriteLittle(stream, 1, 2);
    WriteLittle(stream, rate, 4);
    WriteLittle(stream, rate * 2, 4);
    WriteLittle(stream, 2, 2);
    WriteLittle(stream, 16, 2);
    std::fwrite("data", 1, 4, stream);
    WriteLittle(stream, 2 * words, 4);
}

void WriteWaveBlock(std::FILE* stream, const std::int32_t* buffer, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i) {
        WriteLittle(stream, static_cast<std::uint32_t>(buffer[i]) & 0xFFFF, 2);
    }
}

void WriteWaveLoop(std::FILE* stream, const TWaveLoop& loop) {
    const std::uint32_t loops = loop.Loops ? 1 : 0;
    BeginChunk(stream, "smpl", LoopFixedBytes + loops * LoopRecordBytes);
    WriteLittle(stream, 0, 4); // manufacturer
    WriteLittle(stream, 0, 4); // product
    WriteLittle(stream, loop.SampleRate == 0 ? 0 : NanosecondsPerSecond / loop.SampleRate, 4);
    WriteLittle(stream, loop.UnityNote, 4);
    WriteLittle(stream, 0, 4); // pitch fraction
    WriteLittle(stream, 0, 4); // SMPTE format
    WriteLittle(stream, 0, 4); // SMPTE offset
    WriteLittle(stream, loops, 4);
    WriteLittle(stream, 0, 4); // sampler data
    if (loop.Loops) {
        WriteLittle(stream, 0, 4); // cue point
        WriteLittle(stream, loop.Alternating ? 1 : 0, 4);
        WriteLittle(stream, loop.Start, 4);
        WriteLittle(stream, loop.End, 4);
        WriteLittle(stream, 0, 4); // fraction
        WriteLittle(stream, 0, 4); // play count: for ever
    }
    EndChunk(stream);
}

TWaveLoopChunk ReadWaveLoop(std::FILE* stream) {
    return ReadChunk(stream, "smpl",
                     [stream](std::uint32_t size) { return ReadLoopChunk(stream, size); });
}

TWaveLoop WaveLoopOf(const TWaveSampleBlock& words, std::int32_t origin, std::uint32_t frames,
                     std::uint32_t rate) {
    constexpr int Bidirectional = 3;
    TWaveLoop loop;
    loop.SampleRate = rate;
    loop.UnityNote = static_cast<std::uint32_t>(PlayKeyOf(words));
    const int mode = HighByte(words[wpPlaybackMode]);
    const TSampleRange range = LoopRangeOf(words);
    const TSampleRange file = TSampleRange::Counted(origin, static_cast<std::int32_t>(frames));
    loop.Loops = mode > 1 && !range.Empty() && file.Contains(range);
    if (loop.Loops) {
        loop.Alternating = mode == Bidirectional;
        loop.Start = static_cast<std::uint32_t>(range.First - origin);
        loop.End = static_cast<std::uint32_t>(range.Last - origin);
    }
    return loop;
}

void WriteWaveParameters(std::FILE* stream, const TWaveSampleBlock& words) {
    BeginChunk(stream, "tvwp", ParametersBytes);
    WriteLittle(stream, ParametersLayout, 2);
    WriteLittle(stream, WaveSampleWords, 2);
    for (const std::int32_t word : words) {
        WriteLittle(stream, static_cast<std::uint32_t>(word) & 0xFFFF, 2);
    }
    EndChunk(stream);
}

TWaveParameters ReadWaveParameters(std::FILE* stream) {
    return ReadChunk(stream, "tvwp",
                     [stream](std::uint32_t size) { return ReadParameterChunk(stream, size); });
}

// Rates beyond what the word can hold keep the nearest period it can:
// below 2451 Hz the slowest, above 625 kHz the fastest.
std::uint32_t RateToPeriod(std::uint32_t rate) {
    const std::uint32_t period = rate == 0 ? LongestPeriod : PeriodTicksPerSecond / rate;
    return std::clamp<std::uint32_t>(period, 1, LongestPeriod) << 8;
}

std::uint32_t PeriodToRate(std::uint32_t word) {
    const std::uint32_t period = word >> 8;
    return period == 0 ? 0 : PeriodTicksPerSecond / period;
}
