// The sampler's memory: the demo bank, names and addresses in the blocks,
// the edit arithmetic and the state file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "emulator/DemoBank.h"
#include "emulator/SampleEdits.h"
#include "emulator/SamplerName.h"
#include "emulator/StateFile.h"
#include "tests/support/TempFolder.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::string NameOf(const std::uint16_t* words) {
    return TSamplerName::Decode(words);
}

int Peak(const std::vector<std::int16_t>& data, std::size_t from, std::size_t to) {
    int peak = 0;
    for (std::size_t i = from; i < to; ++i) {
        peak = std::max(peak, std::abs(static_cast<int>(data[i])));
    }
    return peak;
}

TEST(DemoBankTest, ThreeNamedInstrumentsWithAnEmptySlotBetween) {
    TSamplerModel model;
    TDemoBank::Load(model);
    ASSERT_NE(model.Instrument(0), nullptr);
    ASSERT_NE(model.Instrument(1), nullptr);
    EXPECT_EQ(model.Instrument(2), nullptr);
    ASSERT_NE(model.Instrument(3), nullptr);
    EXPECT_EQ(NameOf(model.Instrument(0)->Parameters().data()), "GRAND PIANO");
    EXPECT_EQ(NameOf(model.Instrument(1)->Parameters().data()), "DRUM KIT");
    EXPECT_EQ(NameOf(model.Instrument(3)->Parameters().data()), "WARM PAD");
    for (int i : {0, 1, 3}) {
        for (int n = 1; n <= TInstrument::SlotCount; ++n) {
            const TWaveSample* waveSample = model.Instrument(i)->WaveSample(n);
            const auto& block = model.Instrument(i)->Parameters();
            EXPECT_EQ(waveSample != nullptr, (block[61 + 2 * n] | block[62 + 2 * n]) != 0);
            if (waveSample == nullptr) {
                continue;
            }
            for (int c = 0; c < TSamplerName::Length; ++c) {
                const char ch = static_cast<char>(waveSample->Parameters[c] >> 8);
                EXPECT_TRUE(ch == ' ' || std::strchr(TSamplerName::Characters, ch)) << ch;
            }
            const int period = waveSample->High(TWaveSample::PeriodWord);
            EXPECT_TRUE(period == 20 || period == 14);
            if (!waveSample->IsCopy()) {
                EXPECT_EQ(waveSample->Address(TWaveSample::EndWord), waveSample->Data.size() - 1);
            }
        }
    }
    // It fits the smallest memory.
    EXPECT_LE(model.UsedWords(), TSamplerModel::MemoryWords(TSamplerKind::Eps));
}

TEST(DemoBankTest, SoundsLikeWhatTheyAreCalled) {
    TSamplerModel model;
    TDemoBank::Load(model);
    const TWaveSample& piano = *model.Instrument(0)->WaveSample(1);
    const std::size_t tenth = piano.Data.size() / 10;
    EXPECT_GT(Peak(piano.Data, 0, tenth),
              3 * Peak(piano.Data, piano.Data.size() - tenth, piano.Data.size()));
    EXPECT_GT(Peak(piano.Data, 0, tenth), 20000);

    const TWaveSample& copy = *model.Instrument(0)->WaveSample(2);
    EXPECT_EQ(copy.CopyOf(), 1);
    EXPECT_TRUE(copy.Data.empty());

    const TWaveSample& rimshot = *model.Instrument(1)->WaveSample(2);
    EXPECT_LT(rimshot.Data.size(), 512u);
    EXPECT_EQ(NameOf(rimshot.Parameters.data()), "RIMSHOT");

    // The kick's pitch falls: more zero crossings early than late.
    const TWaveSample& kick = *model.Instrument(1)->WaveSample(1);
    auto crossings = [&](std::size_t from, std::size_t to) {
        int count = 0;
        for (std::size_t i = from + 1; i < to; ++i) {
            count += (kick.Data[i - 1] < 0) != (kick.Data[i] < 0);
        }
        return count;
    };
    EXPECT_GT(crossings(800, 3000), crossings(12000, 14200) + 2);
    // Its start marker skips the quiet before the hit.
    const std::uint32_t start = kick.Address(TWaveSample::StartWord);
    EXPECT_GT(start, 0u);
    EXPECT_LT(Peak(kick.Data, 0, start), 500);
    EXPECT_GT(Peak(kick.Data, start, start + 100), 5000);

    const TWaveSample& pad = *model.Instrument(3)->WaveSample(1);
    EXPECT_EQ(pad.High(TWaveSample::PlaybackModeWord), TDemoBank::LoopForward);
    const std::uint32_t loopStart = pad.Address(TWaveSample::LoopStartWord);
    const std::uint32_t loopEnd = pad.Address(TWaveSample::LoopEndWord);
    EXPECT_GT(loopStart, 0u);
    EXPECT_EQ(loopEnd, pad.Address(TWaveSample::EndWord));
    // The loop joins without a click: what leads up to the loop end is what
    // leads up to the loop start, so the start follows the end seamlessly.
    for (std::uint32_t i = 0; i < 50; ++i) {
        EXPECT_NEAR(pad.Data[loopEnd - i], pad.Data[loopStart - 1 - i], 1);
    }
}

TEST(SamplerNameTest, NamesUseTheSamplersCharacters) {
    std::uint16_t words[12];
    TSamplerName::Encode("piano 1", words);
    EXPECT_THAT(words, ElementsAre(0x5000, 0x4900, 0x4100, 0x4E00, 0x4F00, 0x2000, 0x3100, 0x2000,
                                   0x2000, 0x2000, 0x2000, 0x2000));
    TSamplerName::Encode("a_b!long name here", words);
    EXPECT_EQ(TSamplerName::Decode(words), "A B LONG NAM");
    TSamplerName::Encode("", words);
    EXPECT_EQ(TSamplerName::Decode(words), "");
}

TEST(WaveSampleTest, AddressesSitInTheHighBytesOfFourWords) {
    TWaveSample waveSample;
    waveSample.SetAddress(TWaveSample::StartWord, 128);
    EXPECT_THAT(
        std::vector(waveSample.Parameters.begin() + 115, waveSample.Parameters.begin() + 119),
        ElementsAre(0x0000, 0x0100, 0x0000, 0x0000));
    EXPECT_EQ(waveSample.Address(TWaveSample::StartWord), 128u);
    waveSample.SetAddress(TWaveSample::EndWord, 8 * 1024 * 1024 - 1);
    EXPECT_EQ(waveSample.Address(TWaveSample::EndWord), 8u * 1024 * 1024 - 1);
    EXPECT_EQ(TWaveSample().High(TWaveSample::RootKeyWord), 60);
    EXPECT_EQ(NameOf(TWaveSample().Parameters.data()), "UNNAMED WS");
}

TEST(SampleEditsTest, LevelWordsDecodeAsTheEditorPacksThem) {
    EXPECT_EQ(TSampleEdits::DecodeLevel(512), 256);
    EXPECT_EQ(TSampleEdits::DecodeLevel(258), 130);
    EXPECT_EQ(TSampleEdits::DecodeLevel(256), 128);
    EXPECT_EQ(TSampleEdits::DecodeLevel(0), 0);
}

TEST(SampleEditsTest, ResultsSaturateAtSixteenBits) {
    TSampleEdits::TData data = {20000, -20000, 100};
    TSampleEdits::Scale(data, 0, 3, 256, 256);
    EXPECT_THAT(data, ElementsAre(32767, -32768, 200));
    data = {-32768, 16000};
    TSampleEdits::Normalize(data, 2);
    EXPECT_THAT(data, ElementsAre(-32767, 16000));
    data = {0, 0};
    TSampleEdits::Normalize(data, 2);
    EXPECT_THAT(data, ElementsAre(0, 0));
}

TEST(SampleEditsTest, CopyReadsTheSourceBeforeWriting) {
    TSampleEdits::TData data = {1, 2, 3, 4, 5};
    TSampleEdits::Copy(data, 0, 3, data, 2);
    EXPECT_THAT(data, ElementsAre(1, 2, 1, 2, 3, 4));
    // Past the source's end it copies silence.
    TSampleEdits::Copy(data, 5, 7, data, 0);
    EXPECT_THAT(data, ElementsAre(4, 0, 0, 2, 3, 4));
}

class StateFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        Folder = MakeTempFolder("tavimor-state").string();
        Path = Folder + "/eps.state";
    }
    void TearDown() override { std::filesystem::remove_all(Folder); }

    std::string Folder;
    std::string Path;
    std::string Error;
};

TEST_F(StateFileTest, MemorySurvivesARoundTrip) {
    TSamplerModel saved(TSamplerKind::Asr);
    TDemoBank::Load(saved);
    TInstrument& extra = saved.CreateInstrument(7);
    extra.SetName("UPLOADED");
    extra.CreateLayer();
    TWaveSample waveSample;
    waveSample.Data = {-32768, 0, 32767};
    extra.Place(127, waveSample);
    saved.CreateInstrument(5);

    ASSERT_TRUE(TStateFile::Save(saved, Path, Error)) << Error;
    EXPECT_FALSE(std::filesystem::exists(Path + ".tmp"));
    TSamplerModel loaded(TSamplerKind::Asr);
    ASSERT_TRUE(TStateFile::Load(loaded, Path, Error)) << Error;
    EXPECT_EQ(loaded, saved);
    EXPECT_FALSE(loaded.Instrument(5)->HasLayer());
}

TEST_F(StateFileTest, ABadFileLeavesTheMemoryAsItWas) {
    TSamplerModel model;
    TDemoBank::Load(model);
    ASSERT_TRUE(TStateFile::Save(model, Path, Error));
    const TSamplerModel before = model;
    const auto size = std::filesystem::file_size(Path);

    std::filesystem::resize_file(Path, size - 1);
    EXPECT_FALSE(TStateFile::Load(model, Path, Error));
    EXPECT_THAT(Error, HasSubstr("not a sampler state file"));
    EXPECT_EQ(model, before);

    std::ofstream(Path, std::ios::binary) << "TVEPSMEM\x02";
    EXPECT_FALSE(TStateFile::Load(model, Path, Error));
    std::ofstream(Path, std::ios::binary) << "something else entirely";
    EXPECT_FALSE(TStateFile::Load(model, Path, Error));
    EXPECT_FALSE(TStateFile::Load(model, Folder + "/missing", Error));
    EXPECT_EQ(model, before);
}

TEST_F(StateFileTest, MoreThanTheMemoryDoesNotLoad) {
    TSamplerModel big(TSamplerKind::Asr);
    TInstrument& instrument = big.CreateInstrument(0);
    instrument.CreateLayer();
    TWaveSample waveSample;
    waveSample.Data.resize(300 * 1024);
    instrument.Place(1, waveSample);
    ASSERT_TRUE(TStateFile::Save(big, Path, Error));
    TSamplerModel small(TSamplerKind::Eps);
    EXPECT_FALSE(TStateFile::Load(small, Path, Error));
    EXPECT_THAT(Error, HasSubstr("more than the memory of an EPS"));
}

TEST_F(StateFileTest, AFailedSaveKeepsThePreviousFile) {
    TSamplerModel model;
    EXPECT_FALSE(TStateFile::Save(model, Folder + "/no/such/folder/eps.state", Error));
    EXPECT_THAT(Error, HasSubstr("cannot write"));
    ASSERT_TRUE(TStateFile::Save(model, Path, Error));
    std::filesystem::create_directory(Path + ".tmp");
    TDemoBank::Load(model);
    EXPECT_FALSE(TStateFile::Save(model, Path, Error));
    TSamplerModel loaded;
    ASSERT_TRUE(TStateFile::Load(loaded, Path, Error));
    EXPECT_EQ(loaded.UsedWords(), 0u);
}

} // namespace
