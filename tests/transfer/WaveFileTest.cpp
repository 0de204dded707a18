// Reading and writing WAVE files: the reader's diagnostics, the frame
// conversions, the faults of malformed files, the written header.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/TraceCapture.h"
#include "transfer/WaveFile.h"

namespace {

using TBytes = std::vector<std::uint8_t>;

void Put(TBytes& to, const std::string& tag) {
    to.insert(to.end(), tag.begin(), tag.end());
}

void Put(TBytes& to, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        to.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

// A fmt chunk body of 16 bytes (or more, for extended chunks).
TBytes Fmt(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t align,
           std::uint16_t bits, std::uint32_t extra = 0) {
    TBytes chunk;
    Put(chunk, "fmt ");
    Put(chunk, 16 + extra, 4);
    Put(chunk, tag, 2);
    Put(chunk, channels, 2);
    Put(chunk, rate, 4);
    Put(chunk, rate * align, 4);
    Put(chunk, align, 2);
    Put(chunk, bits, 2);
    chunk.resize(chunk.size() + extra + (extra & 1), 0);
    return chunk;
}

TBytes Chunk(const std::string& tag, const TBytes& body, std::uint32_t declared = UINT32_MAX) {
    TBytes chunk;
    Put(chunk, tag);
    Put(chunk, declared == UINT32_MAX ? static_cast<std::uint32_t>(body.size()) : declared, 4);
    chunk.insert(chunk.end(), body.begin(), body.end());
    return chunk;
}

TBytes Riff(std::initializer_list<TBytes> chunks, const std::string& form = "WAVE") {
    TBytes file;
    Put(file, "RIFF");
    Put(file, 0, 4);
    Put(file, form);
    for (const auto& c : chunks) {
        file.insert(file.end(), c.begin(), c.end());
    }
    return file;
}

// A stream over the bytes, as the workflows open files.
class TStream {
public:
    explicit TStream(const TBytes& bytes) : File(std::tmpfile()) {
        std::fwrite(bytes.data(), 1, bytes.size(), File);
        std::rewind(File);
    }
    TStream() : File(std::tmpfile()) {}
    ~TStream() { std::fclose(File); }
    operator std::FILE*() const { return File; }
    TBytes All() {
        std::fflush(File);
        std::rewind(File);
        TBytes bytes;
        for (int c; (c = std::fgetc(File)) != EOF;) {
            bytes.push_back(static_cast<std::uint8_t>(c));
        }
        return bytes;
    }

private:
    std::FILE* File;
};

class WaveFileTest : public ::testing::Test {
protected:
    // The trace lines a failing header read leaves, after "Reading Header".
    std::string Failure(const TBytes& file) {
        Trace.Clear();
        TStream stream(file);
        EXPECT_FALSE(ReadWaveHeader(stream));
        const std::string text = Trace.Text();
        const std::string first = "Reading Header\r\n";
        EXPECT_EQ(text.substr(0, first.size()), first);
        return text.substr(first.size());
    }

    std::vector<std::int32_t> Convert(const TBytes& fmt, const TBytes& data) {
        TStream stream(Riff({fmt, Chunk("data", data)}));
        const auto format = ReadWaveHeader(stream);
        EXPECT_TRUE(format);
        std::vector<std::int32_t> words(16);
        std::uint32_t read = 0;
        words.resize(ReadWaveBlock(stream, *format, words.data(), 16, read));
        EXPECT_EQ(read, words.size());
        return words;
    }

    TTraceCapture Trace;
};

TEST_F(WaveFileTest, RejectsWhatIsNotAWaveFileWithItsDiagnostic) {
    EXPECT_EQ(Failure({}), "Not a RIFF file\r\n");
    EXPECT_EQ(Failure({'R', 'I', 'F'}), "Not a RIFF file\r\n");
    TBytes rifx = Riff({});
    rifx[3] = 'X';
    EXPECT_EQ(Failure(rifx), "Not a RIFF file\r\n");
    EXPECT_EQ(Failure(Riff({}, "AVI ")), "Not a RIFF WAVE file\r\n");
    // The tag is right; what is missing is the form type.
    EXPECT_EQ(Failure({'R', 'I', 'F', 'F', 0, 0}), "Not a RIFF WAVE file\r\n");
    EXPECT_EQ(Failure(Riff({Fmt(1, 1, 22050, 2, 16)})), "Unexpected EOF\r\n");
    // A chunk claiming more than the file holds ends the reading at its end.
    EXPECT_EQ(Failure(Riff({Chunk("junk", {1, 2}, 0xFFFFFFFE), Fmt(1, 1, 22050, 2, 16)})),
              "Unexpected EOF\r\n");
    EXPECT_EQ(Failure(Riff({Fmt(1, 1, 22050, 2, 16), Chunk("LIST", {1, 2, 3})})),
              "Unexpected EOF\r\n");
    EXPECT_EQ(Failure(Riff({Chunk("data", {1, 2})})), "Data chunk found without fmt\r\n");
    EXPECT_EQ(Failure(Riff({Fmt(3, 1, 22050, 4, 32)})), "Unsuported format :3\r\n");
    EXPECT_EQ(Failure(Riff({Fmt(1, 1, 22050, 2, 16), Chunk("data", {7})})),
              "No WAVE size specified\r\n1\r\n2\r\n");
}

TEST_F(WaveFileTest, RejectsFormatsThatCannotBeDividedOrMixed) {
    EXPECT_EQ(Failure(Riff({Fmt(1, 1, 22050, 0, 16), Chunk("data", {1, 2})})),
              "Block align is 0\r\n");
    EXPECT_EQ(Failure(Riff({Chunk("fmt ", {1, 0, 1, 0})})), "fmt chunk too short\r\n");

    TStream six(Riff({Fmt(1, 6, 48000, 12, 16), Chunk("data", TBytes(24))}));
    const auto format = ReadWaveHeader(six);
    ASSERT_TRUE(format);
    EXPECT_TRUE(WaveFormatProblem(*format));
    std::int32_t words[4];
    std::uint32_t read = 0;
    EXPECT_EQ(ReadWaveBlock(six, *format, words, 4, read), 0u);

    TWaveFormat format24{1, 1, 48000, 144000, 3, 24, 3, 1};
    EXPECT_TRUE(WaveFormatProblem(format24));
    TWaveFormat noRate{1, 1, 0, 0, 2, 16, 2, 1};
    EXPECT_TRUE(WaveFormatProblem(noRate));
    TWaveFormat good{1, 2, 44100, 176400, 4, 16, 4, 1};
    EXPECT_FALSE(WaveFormatProblem(good));
}

TEST_F(WaveFileTest, SkipsOtherChunksWithTheirPadByteAndExtendedFmtChunks) {
    const TBytes list = Chunk("LIST", {'a', 'b', 'c', 0}); // odd size 3 below
    TBytes odd = Chunk("junk", {1, 2, 3});
    odd.push_back(0); // the pad byte
    TStream stream(Riff({odd, Fmt(1, 1, 8000, 2, 16, 2), list, Chunk("data", {0x34, 0x12})}));
    const auto format = ReadWaveHeader(stream);
    ASSERT_TRUE(format);
    EXPECT_EQ(format->SampleRate, 8000u);
    EXPECT_EQ(format->FrameCount, 1u);
    std::int32_t word = 0;
    std::uint32_t read = 0;
    ASSERT_EQ(ReadWaveBlock(stream, *format, &word, 1, read), 1u);
    EXPECT_EQ(word, 0x1234);
}

TEST_F(WaveFileTest, ASecondFmtChunkReplacesTheFirst) {
    TStream stream(
        Riff({Fmt(1, 2, 8000, 4, 16), Fmt(1, 1, 11025, 1, 8), Chunk("data", {128, 128})}));
    const auto format = ReadWaveHeader(stream);
    ASSERT_TRUE(format);
    EXPECT_EQ(format->Channels, 1);
    EXPECT_EQ(format->FrameCount, 2u);
}

TEST_F(WaveFileTest, AShortDataChunkYieldsOnlyTheFramesThatAreThere) {
    TStream stream(Riff({Fmt(1, 1, 8000, 2, 16), Chunk("data", {1, 0, 2, 0, 3}, 1000)}));
    const auto format = ReadWaveHeader(stream);
    ASSERT_TRUE(format);
    EXPECT_EQ(format->DataSize, 1000u);
    EXPECT_EQ(format->FrameCount, 2u);
}

TEST_F(WaveFileTest, ConvertsEveryFrameToOneSampleWord) {
    EXPECT_EQ(Convert(Fmt(1, 1, 8000, 1, 8), {0, 128, 255}),
              (std::vector<std::int32_t>{-32768, 0, 32512}));
    EXPECT_EQ(Convert(Fmt(1, 2, 8000, 2, 8), {0, 255, 255, 255}),
              (std::vector<std::int32_t>{-128, 32512}));
    EXPECT_EQ(Convert(Fmt(1, 1, 8000, 2, 16), {0xFF, 0xFF, 0x00, 0x80}),
              (std::vector<std::int32_t>{65535, 32768}));
    EXPECT_EQ(Convert(Fmt(1, 2, 8000, 4, 16), {0xFF, 0x7F, 0x01, 0x80, 0xFD, 0xFF, 0xFD, 0xFF}),
              (std::vector<std::int32_t>{0, -2}));
}

TEST_F(WaveFileTest, ReadsInBlocksUpToTheFrameCount) {
    TBytes data;
    for (int i = 0; i < 10; ++i) {
        Put(data, static_cast<std::uint32_t>(i), 2);
    }
    TStream stream(Riff({Fmt(1, 1, 8000, 2, 16), Chunk("data", data)}));
    const auto format = ReadWaveHeader(stream);
    ASSERT_TRUE(format);
    std::int32_t words[4];
    std::uint32_t read = 0;
    EXPECT_EQ(ReadWaveBlock(stream, *format, words, 4, read), 4u);
    EXPECT_EQ(ReadWaveBlock(stream, *format, words, 4, read), 4u);
    EXPECT_EQ(words[0], 4);
    EXPECT_EQ(ReadWaveBlock(stream, *format, words, 4, read), 2u);
    EXPECT_EQ(words[1], 9);
    EXPECT_EQ(read, 10u);
    EXPECT_EQ(ReadWaveBlock(stream, *format, words, 4, read), 0u);
}

TEST_F(WaveFileTest, WritesAMono16BitFileThatReadsBack) {
    TStream stream;
    const std::uint32_t rate = PeriodToRate(28 << 8);
    WriteWaveHeader(stream, 1000, rate);
    std::vector<std::int32_t> words(1000);
    for (int i = 0; i < 1000; ++i) {
        words[static_cast<std::size_t>(i)] = (i * 97) % 65536 - 32768;
    }
    WriteWaveBlock(stream, words.data(), 1000);
    const TBytes bytes = stream.All();
    ASSERT_EQ(bytes.size(), 2044u);
    TBytes header;
    Put(header, "RIFF");
    Put(header, 2036, 4);
    Put(header, "WAVEfmt ");
    for (auto [v, n] :
         {std::pair{16u, 4}, {1u, 2}, {1u, 2}, {22321u, 4}, {44642u, 4}, {2u, 2}, {16u, 2}}) {
        Put(header, v, n);
    }
    Put(header, "data");
    Put(header, 2000, 4);
    EXPECT_EQ(TBytes(bytes.begin(), bytes.begin() + 44), header);

    std::rewind(stream);
    const auto format = ReadWaveHeader(stream);
    ASSERT_TRUE(format);
    std::vector<std::int32_t> back(1000);
    std::uint32_t read = 0;
    ASSERT_EQ(ReadWaveBlock(stream, *format, back.data(), 1000, read), 1000u);
    for (std::size_t i = 0; i < 1000; ++i) {
        EXPECT_EQ(back[i] & 0xFFFF, words[i] & 0xFFFF) << i;
    }
}

// A "smpl" chunk is read within its own size: one too short for the loops
// it names is refused, never filled up with the bytes of the chunk after it.
TEST_F(WaveFileTest, ALoopIsReadOnlyFromItsOwnChunk) {
    // The fixed fields naming `loops` loops, then `records` records of a
    // loop of frames 100..399, then `extra` bytes of sampler data.
    const auto smpl = [](std::uint32_t loops, std::uint32_t records, std::uint32_t extra = 0) {
        TBytes body;
        for (std::uint32_t field : {0u, 0u, 32000u, 60u, 0u, 0u, 0u, loops, extra}) {
            Put(body, field, 4);
        }
        for (std::uint32_t i = 0; i < records; ++i) {
            for (std::uint32_t field : {0u, 0u, 100u, 399u, 0u, 0u}) {
                Put(body, field, 4);
            }
        }
        body.resize(body.size() + extra, 0);
        return Chunk("smpl", body);
    };
    const TBytes fmt = Fmt(1, 1, 31250, 2, 16);
    const TBytes data = Chunk("data", TBytes(1000));
    // Where a loop record would be if the chunk before held one.
    const TBytes list = Chunk("LIST", TBytes(24, 0x11));
    TBytes cut = Riff({fmt, data, smpl(1, 1)});
    cut.resize(cut.size() - 10);
    const TWaveLoop looped{31250, 60, true, false, 100, 399};
    const TWaveLoop plain{31250, 60, false, false, 0, 0};
    struct TCase {
        const char* Name;
        TBytes File;
        std::optional<TWaveLoop> Loop;
        std::string Problem;
    };
    const std::vector<TCase> cases = {
        {"one loop", Riff({fmt, smpl(1, 1), data}), looped, ""},
        {"no loop", Riff({fmt, smpl(0, 0), list, data}), plain, ""},
        {"sampler data after the loop", Riff({fmt, smpl(1, 1, 8), data}), looped, ""},
        {"no chunk", Riff({fmt, data}), std::nullopt, ""},
        {"a loop named and not held", Riff({fmt, smpl(1, 0), list, data}), std::nullopt,
         "its smpl chunk holds 36 bytes; 60 expected for the 1 loop it names."},
        {"two loops named and one held", Riff({fmt, smpl(2, 1), list, data}), std::nullopt,
         "its smpl chunk holds 60 bytes; 84 expected for the 2 loops it names."},
        {"shorter than its fixed fields", Riff({fmt, Chunk("smpl", TBytes(20)), list, data}),
         std::nullopt, "its smpl chunk holds 20 bytes; 36 expected."},
        {"cut short by the end of the file", cut, std::nullopt,
         "its smpl chunk holds 50 bytes; 60 expected for the 1 loop it names."},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TStream stream(c.File);
        const TWaveLoopChunk chunk = ReadWaveLoop(stream);
        EXPECT_EQ(chunk.Loop, c.Loop);
        EXPECT_EQ(chunk.Problem.value_or(""), c.Problem);
    }
}

TEST(WaveRateTest, MapsRatesToPeriodsAndBackTruncating) {
    EXPECT_EQ(RateToPeriod(44100), 14u << 8);
    EXPECT_EQ(RateToPeriod(22050), 28u << 8);
    EXPECT_EQ(RateToPeriod(8000), 78u << 8);
    EXPECT_EQ(PeriodToRate(14 << 8), 44642u);
    EXPECT_EQ(PeriodToRate(28 << 8), 22321u);
    EXPECT_EQ(PeriodToRate(78 << 8), 8012u);
    // What the word cannot hold keeps the nearest period it can.
    EXPECT_EQ(RateToPeriod(1000), 255u << 8);
    EXPECT_EQ(RateToPeriod(0), 255u << 8);
    EXPECT_EQ(RateToPeriod(700000), 1u << 8);
    EXPECT_EQ(PeriodToRate(0x00FF), 0u);
}

} // namespace
