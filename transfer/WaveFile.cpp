#include "transfer/WaveFile.h"

#include <algorithm>
#include <cstring>

#include "debug/DebugDevice.h"

namespace {

constexpr std::uint32_t FmtSize = 16;
constexpr std::uint32_t HeaderSize = 44;
constexpr std::uint32_t TicksPerSecond = 625000;
constexpr std::uint32_t LongestPeriod = 255; // what fits in bits 8..15

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
    return end > here ? static_cast<std::uint32_t>(std::min<long>(end - here, UINT32_MAX)) : 0;
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
    constexpr std::uint32_t FixedBytes = 36;
    constexpr std::uint32_t LoopBytes = 24;
    constexpr std::uint32_t NanosecondsPerSecond = 1000000000;
    const std::uint32_t loops = loop.Loops ? 1 : 0;
    std::fseek(stream, 0, SEEK_END);
    std::fwrite("smpl", 1, 4, stream);
    WriteLittle(stream, FixedBytes + loops * LoopBytes, 4);
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
    const long size = std::ftell(stream);
    std::fseek(stream, 4, SEEK_SET);
    WriteLittle(stream, static_cast<std::uint32_t>(size - 8), 4);
}

std::optional<TWaveLoop> ReadWaveLoop(std::FILE* stream) {
    constexpr std::uint32_t NanosecondsPerSecond = 1000000000;
    const long here = std::ftell(stream);
    std::optional<TWaveLoop> found;
    bool ok = std::fseek(stream, 12, SEEK_SET) == 0;
    while (ok && !found) {
        char tag[4] = {};
        ok = ReadBytes(stream, tag, 4);
        const std::uint32_t size = ReadLittle(stream, 4, ok);
        if (!ok) {
            break;
        }
        if (!IsTag(tag, "smpl")) {
            ok = SkipChunk(stream, size);
            continue;
        }
        std::uint32_t fields[9] = {};
        for (std::uint32_t& field : fields) {
            field = ReadLittle(stream, 4, ok);
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
        if (ok) {
            found = loop;
        }
    }
    std::fseek(stream, here, SEEK_SET);
    return found;
}

// Rates beyond what the word can hold keep the nearest period it can:
// below 2451 Hz the slowest, above 625 kHz the fastest.
std::uint32_t RateToPeriod(std::uint32_t rate) {
    const std::uint32_t period = rate == 0 ? LongestPeriod : TicksPerSecond / rate;
    return std::clamp<std::uint32_t>(period, 1, LongestPeriod) << 8;
}

std::uint32_t PeriodToRate(std::uint32_t word) {
    const std::uint32_t period = word >> 8;
    return period == 0 ? 0 : TicksPerSecond / period;
}
