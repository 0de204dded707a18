// The engine's parameter blocks, addresses, play key, settings and names.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "eps/Eps.h"
#include "eps/Names.h"

namespace {

using TNameWords = std::array<std::int32_t, NameWords>;

TNameWords Words(std::string_view text) {
    TNameWords words{};
    for (std::size_t i = 0; i < words.size(); ++i) {
        words[i] = static_cast<unsigned char>(i < text.size() ? text[i] : ' ') << 8;
    }
    return words;
}

TNameWords Encoded(std::string_view text) {
    TNameWords words{};
    EncodeName(words, text);
    return words;
}

std::string NameOf(const TWaveSampleBlock& block) {
    return DecodeName(std::span<const std::int32_t, NameWords>(block.begin(), NameWords));
}

TEST(EpsTest, FreshEngineHoldsTheDefaults) {
    TEps eps;
    EXPECT_EQ(eps.Instrument, 0);
    EXPECT_EQ(eps.WaveSample, 1);
    EXPECT_FALSE(eps.WaveSampleOpen);
    EXPECT_TRUE(eps.FullViewStale);
    EXPECT_EQ(eps.UploadState, 0);
    EXPECT_EQ(eps.DownloadState, 0);
    EXPECT_EQ(eps.SamplesPerPoint, 0);
    EXPECT_EQ(eps.BlockSize(), 256);
    EXPECT_EQ(eps.Delay(), 0);
    EXPECT_EQ(eps.WaveSampleParameters, DefaultWaveSampleParameters);
    EXPECT_EQ(NameOf(eps.WaveSampleParameters), "Unnamed Ws");
    for (const std::string& name : eps.InstrumentName) {
        EXPECT_EQ(name, "");
    }
    EXPECT_FALSE(eps.MidiIn->IsOpen());
    EXPECT_FALSE(eps.MidiOut->IsOpen());
}

TEST(EpsTest, DefaultBlockDescribesAnEmptyUnloopedWavesample) {
    const TWaveSampleBlock& block = DefaultWaveSampleParameters;
    const TNameWords name = Words("UNNAMED WS  ");
    EXPECT_TRUE(std::equal(name.begin(), name.end(), block.begin()));
    EXPECT_EQ(HighByte(block[wpRootKey]), 60);
    EXPECT_EQ(HighByte(block[wpLowKey]), 21);
    EXPECT_EQ(HighByte(block[wpHighKey]), 108);
    EXPECT_EQ(block[wpPlaybackMode], 0);
    EXPECT_EQ(HighByte(block[wpSamplingPeriod]), 21);
    for (int word = wpSampleStart; word < wpLoopEnd + 4; ++word) {
        EXPECT_EQ(block[word], 0) << word;
    }
    EXPECT_EQ(block[110], 0x287F);
    EXPECT_EQ(block[111], 0x0A0D);
    EXPECT_EQ(block[138], 0);
}

TEST(EpsTest, SampleAddressesAreHighBytesShiftedByNine) {
    TEps eps;
    eps.WaveSampleParameters[115] = 0x0000;
    eps.WaveSampleParameters[116] = 0x0100;
    eps.WaveSampleParameters[117] = 0x0000;
    eps.WaveSampleParameters[118] = 0x0000;
    EXPECT_EQ(eps.GetSampleAddress(wpSampleStart), 128);

    // Low bytes and the fraction's bits do not count.
    eps.WaveSampleParameters[116] = 0x01FF;
    eps.WaveSampleParameters[118] = 0xFF00;
    EXPECT_EQ(eps.GetSampleAddress(wpSampleStart), 128);

    eps.SetSampleAddress(wpSampleStart, 128);
    EXPECT_EQ(std::vector<std::int32_t>(eps.WaveSampleParameters.begin() + 115,
                                        eps.WaveSampleParameters.begin() + 119),
              std::vector<std::int32_t>({0x0000, 0x0100, 0x0000, 0x0000}));
}

TEST(EpsTest, EveryAddressSurvivesARoundTrip) {
    TEps eps;
    const std::array<std::int32_t, 4> samples = {0, 1000, 65535, (1 << 23) - 1};
    const std::array<int, 4> addresses = {wpSampleStart, wpSampleEnd, wpLoopStart, wpLoopEnd};
    for (std::size_t i = 0; i < 4; ++i) {
        eps.SetSampleAddress(addresses[i], samples[i]);
    }
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(eps.GetSampleAddress(addresses[i]), samples[i]);
    }
    EXPECT_EQ(eps.WaveSampleParameters[wpSampleEnd + 3], 0);
}

TEST(EpsTest, PlayKeyIsTheRootKeptInsideTheKeyRange) {
    TEps eps;
    EXPECT_EQ(eps.GetPlayKey(), 60);
    eps.WaveSampleParameters[wpRootKey] = 110 << 8;
    EXPECT_EQ(eps.GetPlayKey(), 108);
    eps.WaveSampleParameters[wpRootKey] = 10 << 8;
    EXPECT_EQ(eps.GetPlayKey(), 21);
}

TEST(EpsTest, BlockSizeAndDelayStayInTheirRanges) {
    TEps eps;
    eps.SetBlockSize(20000);
    EXPECT_EQ(eps.BlockSize(), 10240);
    eps.SetBlockSize(-5);
    EXPECT_EQ(eps.BlockSize(), 256);
    eps.SetBlockSize(1000);
    EXPECT_EQ(eps.BlockSize(), 1000);
    eps.SetDelay(3950 + 100);
    EXPECT_EQ(eps.Delay(), 4000);
    eps.SetDelay(-1);
    EXPECT_EQ(eps.Delay(), 0);
}

TEST(NamesTest, EncodeTakesTheSamplersCharactersInUpperCase) {
    EXPECT_EQ(Encoded("piano 1"), TNameWords({0x5000, 0x4900, 0x4100, 0x4E00, 0x4F00, 0x2000,
                                              0x3100, 0x2000, 0x2000, 0x2000, 0x2000, 0x2000}));
    EXPECT_EQ(Encoded("a_b!"), Words("A B"));
    EXPECT_EQ(Encoded("*-+0123456789"), Words("*-+012345678"));
    EXPECT_EQ(Encoded("abcdefghijklmnop"), Words("ABCDEFGHIJKL"));
    EXPECT_EQ(Encoded(""), Words(""));
    // Bytes outside ASCII are not letters of the sampler.
    EXPECT_EQ(Encoded("\xE9t\xE9"), Words(" T"));
}

TEST(NamesTest, DecodeCapitalisesEachWordAndDropsTrailingBlanks) {
    EXPECT_EQ(DecodeName(Words("PIANO-STRING")), "Piano-String");
    EXPECT_EQ(DecodeName(Words("2ND PIANO   ")), "2Nd Piano");
    EXPECT_EQ(DecodeName(Words("")), "");
    EXPECT_EQ(DecodeName(Words("*BIG*DRUM")), "*Big*Drum");
    TNameWords padded = Words("KICK");
    padded[11] = 0;
    EXPECT_EQ(DecodeName(padded), "Kick");
}

TEST(NamesTest, DecodedNamesEncodeBackUnchanged) {
    for (std::string_view name : {"PIANO-STRING", "2ND PIANO   ", "STRINGS+*   "}) {
        EXPECT_EQ(Encoded(DecodeName(Words(name))), Words(name)) << name;
    }
}

} // namespace
