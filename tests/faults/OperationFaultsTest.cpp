// The engine's own exchanges with a misbehaving sampler: opening a
// wavesample, refreshing the view, reading the directory and renaming an
// instrument. Each gives up within its bounds with a failure (a directory
// that invents nothing), and the same operation works once the sampler
// behaves again.
#include <atomic>
#include <tuple>

#include "tests/faults/FaultFixture.h"
#include "tests/support/Eventually.h"

namespace {

enum TOperation { opOpenWavesample, opRefreshView, opReadConfiguration, opRenameInstrument };

constexpr TOperation AllOperations[] = {opOpenWavesample, opRefreshView, opReadConfiguration,
                                        opRenameInstrument};

std::string NameOf(TOperation operation) {
    switch (operation) {
    case opOpenWavesample:
        return "OpenWavesample";
    case opRefreshView:
        return "RefreshView";
    case opReadConfiguration:
        return "ReadConfiguration";
    case opRenameInstrument:
        return "RenameInstrument";
    }
    return "Unknown";
}

using TCase = std::tuple<TOperation, TFaultKind>;

std::string CaseName(const ::testing::TestParamInfo<TCase>& info) {
    return NameOf(std::get<0>(info.param)) + "With" + NameOf(std::get<1>(info.param));
}

// Eight instruments read one after the other, each read giving up after 1 s.
constexpr auto Bound = std::chrono::seconds(12);

class OperationFaultTest : public FaultTest, public ::testing::WithParamInterface<TCase> {
protected:
    void SetUp() override {
        FaultTest::SetUp();
        ASSERT_TRUE(Eps->CheckConnection());
        Eps->Instrument = 0;
        Eps->WaveSample = 1;
        if (Operation() == opRefreshView) {
            ASSERT_EQ(Eps->OpenWavesample(true), orOpened);
        }
    }

    TOperation Operation() const { return std::get<0>(GetParam()); }

    // Carries the operation out and tells whether it succeeded.
    bool Perform(const std::string& name) {
        switch (Operation()) {
        case opOpenWavesample:
            return Eps->OpenWavesample(true) == orOpened && Eps->WaveSampleOpen;
        case opRefreshView:
            // Half the view: points that are not cached.
            Eps->SetViewEnd(Eps->ViewStart + (Eps->ViewEnd - Eps->ViewStart) / 2);
            return Eps->RefreshView();
        case opReadConfiguration:
            return Eps->ReadConfiguration() && Eps->InstrumentPresent[0] &&
                   Eps->InstrumentPresent[1] && Eps->InstrumentPresent[3] &&
                   Eps->UnreadInstrument < 0;
        case opRenameInstrument:
            return Eps->RenameInstrument(0, name);
        }
        return false;
    }
};

TEST_P(OperationFaultTest, FailsWithinItsBoundsAndWorksOnceTheSamplerBehaves) {
    Sampler().SetFaults(FaultsOf(std::get<1>(GetParam())));
    bool done = true;
    EXPECT_LT(Timed([&] { done = Perform("FAULTY"); }), Bound);
    EXPECT_FALSE(done);
    if (Operation() == opReadConfiguration) {
        // The scan stops at the first instrument it cannot read and says so.
        EXPECT_EQ(Eps->UnreadInstrument, 0);
        for (bool present : Eps->InstrumentPresent) {
            EXPECT_FALSE(present);
        }
    }
    EXPECT_EQ(InstrumentNameOf(0), "GRAND PIANO");

    Heal();
    EXPECT_TRUE(Eps->CheckConnection());
    EXPECT_TRUE(Perform("MENDED"));
    if (Operation() == opRenameInstrument) {
        EXPECT_EQ(InstrumentNameOf(0), "MENDED");
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, OperationFaultTest,
                         ::testing::Combine(::testing::ValuesIn(AllOperations),
                                            ::testing::ValuesIn(AllFaults)),
                         CaseName);

// However long the reply limit, an edit or a close that gets no answer at
// all costs one byte time-out, whether the sampler is silent or answers on
// another channel; the close request still goes out.
TEST_F(FaultTest, UnansweredEditAndCloseCostOneSilence) {
    Eps->ReplyTimeLimit = std::chrono::minutes(3);
    for (TFaultKind fault : {fkSilent, fkOtherChannel}) {
        SCOPED_TRACE(NameOf(fault));
        ASSERT_TRUE(Eps->CheckConnection());
        ASSERT_EQ(Eps->OpenWavesample(true), orOpened);
        Sampler().SetFaults(FaultsOf(fault));
        Eps->ClearData(0, 100);
        TReplyResult reply = rrAck;
        EXPECT_LT(Timed([&] { reply = Eps->WaitForReply(); }), std::chrono::seconds(2));
        EXPECT_TRUE(IsUnanswered(reply));
        std::atomic<bool> closed = false;
        Sampler().SetLog([&closed](const std::string& line) {
            if (line.rfind("Close", 0) == 0) {
                closed = true;
            }
        });
        EXPECT_LT(Timed([&] { Eps->CloseWavesample(); }), std::chrono::seconds(2));
        EXPECT_TRUE(Eventually([&closed] { return closed.load(); }));
        Heal();
        Sampler().SetLog({});
    }
}

// With the real byte time-out: a silent sampler costs one wait of 10 s.
TEST_F(FaultTest, OpeningOnASilentSamplerGivesUpAfterTheByteTimeout) {
    Eps->MidiIn->ByteTimeout = 10;
    ASSERT_TRUE(Eps->CheckConnection());
    Sampler().SetFaults(FaultsOf(fkSilent));
    const std::chrono::milliseconds took =
        Timed([&] { EXPECT_EQ(Eps->OpenWavesample(true), orFailed); });
    EXPECT_GE(took, std::chrono::seconds(10));
    EXPECT_LT(took, std::chrono::seconds(15));
}

} // namespace
