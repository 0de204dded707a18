// The directory scan and renaming, end to end against the virtual sampler.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "emulator/SamplerName.h"
#include "tests/eps/SamplerFixture.h"
#include "tests/support/TraceCapture.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class DirectoryTest : public SamplerTest {
protected:
    void SetUp() override {
        SamplerTest::SetUp();
        ASSERT_TRUE(Eps->CheckConnection());
    }

    TInstrument::TParameters InstrumentBlock(int instrument) {
        SettleSampler();
        TInstrument::TParameters block{};
        Sampler().Inspect([&](TSamplerModel& model) {
            ASSERT_NE(model.Instrument(instrument), nullptr);
            block = model.Instrument(instrument)->Parameters();
        });
        return block;
    }

    std::vector<int> Present() const {
        std::vector<int> present;
        for (int i = 0; i < InstrumentCount; ++i) {
            if (Eps->InstrumentPresent[i]) {
                present.push_back(i);
            }
        }
        return present;
    }

    TTraceCapture Trace;
};

TEST_F(DirectoryTest, ScanFindsTheLoadedInstrumentsAndTheirSlots) {
    Eps->Instrument = 6;
    EXPECT_TRUE(Eps->ReadConfiguration());
    EXPECT_EQ(Eps->Instrument, 6);
    EXPECT_THAT(Present(), ElementsAre(0, 1, 3));
    EXPECT_THAT(Eps->InstrumentName,
                ElementsAre("Grand Piano", "Drum Kit", "", "Warm Pad", "", "", "", ""));

    EXPECT_TRUE(Eps->WaveSampleUsed[0][0]);
    EXPECT_TRUE(Eps->WaveSampleUsed[0][1]);
    EXPECT_EQ(std::count(Eps->WaveSampleUsed[0].begin(), Eps->WaveSampleUsed[0].end(), true), 2);
    EXPECT_EQ(Eps->FirstFreeWaveSample[0], 2);
    EXPECT_EQ(Eps->FirstFreeWaveSample[1], 2);
    EXPECT_EQ(Eps->FirstFreeWaveSample[3], 1);
    // The absent instrument 2 has its name empty and its slots free.
    EXPECT_EQ(std::count(Eps->WaveSampleUsed[2].begin(), Eps->WaveSampleUsed[2].end(), true), 0);
    EXPECT_EQ(Eps->FirstFreeWaveSample[2], 0);

    EXPECT_EQ(Owner.Busy, 0);
    EXPECT_THAT(Trace.Text(), HasSubstr("## READ CFG ##  Queue=0\r\n"));
    EXPECT_THAT(Trace.Text(), HasSubstr("[Grand Piano]\r\n"));
}

TEST_F(DirectoryTest, ScanRebuildsTheWholeDirectory) {
    Eps->InstrumentPresent.fill(true);
    Eps->InstrumentName.fill("Old");
    Eps->WaveSampleUsed[5].fill(true);
    Eps->FirstFreeWaveSample.fill(9);
    EXPECT_TRUE(Eps->ReadConfiguration());
    EXPECT_FALSE(Eps->InstrumentPresent[5]);
    EXPECT_EQ(Eps->InstrumentName[5], "");
    EXPECT_EQ(std::count(Eps->WaveSampleUsed[5].begin(), Eps->WaveSampleUsed[5].end(), true), 0);
    EXPECT_EQ(Eps->FirstFreeWaveSample[5], 0);
}

TEST_F(DirectoryTest, InstrumentWithEverySlotUsedHasNoFreeSlot) {
    for (int number = 1; number <= InstrumentSlots; ++number) {
        PlaceWaveSample(5, number, {1});
    }
    EXPECT_TRUE(Eps->ReadConfiguration());
    EXPECT_TRUE(Eps->InstrumentPresent[5]);
    EXPECT_EQ(std::count(Eps->WaveSampleUsed[5].begin(), Eps->WaveSampleUsed[5].end(), true),
              InstrumentSlots);
    EXPECT_EQ(Eps->FirstFreeWaveSample[5], 0);
}

TEST_F(DirectoryTest, RenameChangesOnlyTheName) {
    TInstrument::TParameters expected = InstrumentBlock(1);
    TSamplerName::Encode("BIG KIT", expected.data());
    Eps->Instrument = 3;
    Trace.Clear();
    EXPECT_TRUE(Eps->RenameInstrument(1, "big kit"));
    EXPECT_EQ(Eps->Instrument, 3);
    EXPECT_EQ(InstrumentBlock(1), expected);
    EXPECT_EQ(Owner.Busy, 0);
    const std::string trace = Trace.Text();
    EXPECT_TRUE(trace.starts_with("Start of rename\r\n"));
    EXPECT_TRUE(trace.ends_with("\r\n1\r\n"));

    EXPECT_TRUE(Eps->ReadConfiguration());
    EXPECT_EQ(Eps->InstrumentName[1], "Big Kit");
}

TEST_F(DirectoryTest, RenamingAnAbsentInstrumentFailsWithoutSendingAName) {
    NewMessages();
    EXPECT_FALSE(Eps->RenameInstrument(2, "nothing"));
    EXPECT_TRUE(Trace.Text().ends_with("\r\n0\r\n"));
    EXPECT_THAT(NewMessages(),
                ElementsAre(TReply().Byte(0x03).Word12(2).Word12(0).Word12(0).End()));
}

} // namespace
