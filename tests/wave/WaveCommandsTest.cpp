// The edit and marker commands against the virtual sampler: the request each
// edit sends for the selection, what the sampler's data is afterwards and
// that the view is read back; and where each marker command puts its marker
// under the ordering rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "tests/wave/WaveViewFixture.h"
#include "wave/WaveColours.h"

namespace {

using TData = std::vector<std::int16_t>;

constexpr std::uint8_t ClearCode = 0x1F;
constexpr std::uint8_t CopyCode = 0x20;
constexpr std::uint8_t ReverseCode = 0x24;
constexpr std::uint8_t FadeInCode = 0x27;
constexpr std::uint8_t FadeOutCode = 0x28;
constexpr std::uint8_t NormalizeCode = 0x41;
constexpr std::uint8_t OverviewCode = 0x0A;
constexpr std::uint8_t PutParametersCode = 0x0E;
constexpr std::uint8_t ReadDataCode = 0x06;

// A fade carries its shape after the range.
TBytes FadeRequest(std::uint8_t code, int instrument, int number, std::int32_t start,
                   std::int32_t end) {
    TBytes request = RangeRequest(code, instrument, number, start, end);
    request.insert(request.end() - 1, {0x00, 0x00});
    return request;
}

TBytes AddressRequest(std::uint8_t code, int instrument, int number) {
    return TReply().Byte(code).Word12(instrument).Word12(0).Word12(number).End();
}

bool Sends(const std::vector<TBytes>& messages, std::uint8_t code) {
    return std::any_of(messages.begin(), messages.end(),
                       [code](const TBytes& message) { return CodeOf(message) == code; });
}

} // namespace

class WaveCommandsTest : public WaveViewTest {
protected:
    void Select(std::int32_t first, std::int32_t last) {
        State.SelStart = first;
        State.SelEnd = last;
        State.HasSelection = true;
    }
    TData Data() { return WaveSampleAt(Instrument, Number).Data; }
    // Opens the data with these addresses and playback mode.
    void OpenWith(const TData& data, std::int32_t mode, std::int32_t end, std::int32_t loopStart,
                  std::int32_t loopEnd) {
        Place(data);
        Sampler().Inspect([&](TSamplerModel& model) {
            TWaveSample& target = *model.Instrument(Instrument)->WaveSample(Number);
            target.Parameters[TWaveSample::PlaybackModeWord] = static_cast<std::uint16_t>(mode);
            target.SetAddress(TWaveSample::EndWord, static_cast<std::uint32_t>(end));
            target.SetAddress(TWaveSample::LoopStartWord, static_cast<std::uint32_t>(loopStart));
            target.SetAddress(TWaveSample::LoopEndWord, static_cast<std::uint32_t>(loopEnd));
        });
        OpenPlaced();
        NewMessages();
    }
    // Runs a marker command on the selection first..last; returns the new
    // address as the sampler holds it, after checking that the engine holds
    // the same and that only the parameter block was sent.
    std::int32_t Move(void (TWaveCommands::*command)(), std::size_t word, int first,
                      std::int32_t selFirst, std::int32_t selLast) {
        Select(selFirst, selLast);
        (Commands.get()->*command)();
        const std::vector<TBytes> sent = NewMessages();
        EXPECT_TRUE(Sends(sent, PutParametersCode));
        EXPECT_FALSE(Sends(sent, OverviewCode) || Sends(sent, ReadDataCode));
        const auto address =
            static_cast<std::int32_t>(WaveSampleAt(Instrument, Number).Address(word));
        EXPECT_EQ(Eps->GetSampleAddress(first), address);
        return address;
    }
};

// Selection 100..199: Clear, Reverse and Fade Out send the range 100 to 200,
// Fade In 100 to 199, each after the copy kept for undo; every edit is
// followed by a new read of the view.
TEST_F(WaveCommandsTest, EditsSendTheSelectionAndTheViewIsReadBack) {
    struct TCase {
        const char* Name;
        void (TWaveCommands::*Command)();
        TBytes Request;
        std::function<void(const TData& before, const TData& after)> Check;
    };
    const TCase cases[] = {
        {"clear", &TWaveCommands::ClearDataClick,
         RangeRequest(ClearCode, Instrument, Number, 100, 200),
         [](const TData& before, const TData& after) {
             EXPECT_TRUE(std::all_of(after.begin() + 100, after.begin() + 200,
                                     [](std::int16_t v) { return v == 0; }));
             EXPECT_EQ(after[99], before[99]);
             EXPECT_EQ(after[200], before[200]);
         }},
        {"reverse", &TWaveCommands::ReverseDataClick,
         RangeRequest(ReverseCode, Instrument, Number, 100, 200),
         [](const TData& before, const TData& after) {
             EXPECT_TRUE(
                 std::equal(after.begin() + 100, after.begin() + 200,
                            before.rbegin() + static_cast<std::ptrdiff_t>(before.size() - 200)));
         }},
        {"fade in", &TWaveCommands::FadeInClick,
         FadeRequest(FadeInCode, Instrument, Number, 100, 199),
         [](const TData& before, const TData& after) {
             EXPECT_EQ(after[100], 0);
             EXPECT_LT(after[150], before[150]);
             EXPECT_EQ(after[198], before[198]);
             EXPECT_EQ(after[199], before[199]);
         }},
        {"fade out", &TWaveCommands::FadeOutClick,
         FadeRequest(FadeOutCode, Instrument, Number, 100, 200),
         [](const TData& before, const TData& after) {
             EXPECT_EQ(after[100], before[100]);
             EXPECT_LT(after[150], before[150]);
             EXPECT_EQ(after[199], 0);
         }},
        {"normalize", &TWaveCommands::NormalizeGainClick,
         AddressRequest(NormalizeCode, Instrument, Number),
         [](const TData&, const TData& after) {
             EXPECT_EQ(*std::max_element(after.begin(), after.begin() + 3000), 32767);
         }},
    };
    for (const TCase& edit : cases) {
        SCOPED_TRACE(edit.Name);
        OpenWith(Saw(3000), 0, 2999, 0, 2999);
        const TData before = Data();
        Select(100, 199);
        (Commands.get()->*edit.Command)();
        const std::vector<TBytes> sent = NewMessages();
        ASSERT_GE(sent.size(), 2u);
        EXPECT_EQ(CodeOf(sent[0]), CopyCode);
        EXPECT_EQ(sent[1], edit.Request);
        EXPECT_TRUE(Sends(sent, OverviewCode));
        edit.Check(before, Data());
        EXPECT_TRUE(State.HasSelection);
    }
}

// Point 17 of 6 samples each lies wholly inside the cleared range: the
// point read back is silent and its bar shrinks to the centre row, shown
// inverted as the selection stays.
TEST_F(WaveCommandsTest, ClearedPointsAreDrawnSilent) {
    OpenWith(Saw(3000), 0, 2999, 0, 2999);
    ASSERT_EQ(Eps->SamplesPerPoint, 6);
    ASSERT_NE(Eps->ViewPoints[17], 0);
    Select(100, 199);
    Commands->ClearDataClick();
    EXPECT_EQ(Eps->ViewPoints[17], 0);
    const QImage& picture = Picture();
    const int a = (picture.height() - 2) / 2;
    EXPECT_EQ(QColor(picture.pixel(17, a - 1)), QColor(255, 255, 255));
    EXPECT_EQ(QColor(picture.pixel(17, a)), QColor(255, 0, 255));
}

// A wavesample shorter than the window: the selection may end past its last
// sample and is sent as it is.
TEST_F(WaveCommandsTest, SelectionPastTheEndOfAShortWavesampleIsSentUnchanged) {
    Open(Saw(400));
    NewMessages();
    Drag(450, 500);
    Commands->ClearDataClick();
    EXPECT_EQ(NewMessages().at(1), RangeRequest(ClearCode, Instrument, Number, 450, 501));
}

TEST_F(WaveCommandsTest, SampleStartStaysBeforeTheEnd) {
    OpenWith(Saw(10000), 0, 5000, 0, 5000);
    EXPECT_EQ(Move(&TWaveCommands::SetSampleStartClick, TWaveSample::StartWord, wpSampleStart, 6000,
                   6100),
              4999);
    EXPECT_EQ(Move(&TWaveCommands::SetSampleStartClick, TWaveSample::StartWord, wpSampleStart, 1000,
                   1100),
              1000);
    // The start marker is drawn where it went: 10 samples per point, point
    // 100 on column 100.
    State.HasSelection = false;
    Box->Invalidate();
    const QImage& picture = Picture();
    EXPECT_EQ(QColor(picture.pixel(100, picture.height() / 2)), TWaveColours::Classic.SampleMarker);
}

// The end and loop end name their last samples: a loop may run through the
// last sample, and the end keeps at least the loop.
TEST_F(WaveCommandsTest, SampleEndKeepsTheLoopOnlyInALoopMode) {
    OpenWith(Saw(10000), 512, 9999, 1000, 8000);
    EXPECT_EQ(
        Move(&TWaveCommands::SetSampleEndClick, TWaveSample::EndWord, wpSampleEnd, 6900, 7000),
        8000);
    OpenWith(Saw(10000), 0, 9999, 1000, 8000);
    EXPECT_EQ(
        Move(&TWaveCommands::SetSampleEndClick, TWaveSample::EndWord, wpSampleEnd, 6900, 7000),
        7000);
    // Before the start: one after it.
    Eps->SetSampleAddress(wpSampleStart, 3000);
    EXPECT_EQ(Move(&TWaveCommands::SetSampleEndClick, TWaveSample::EndWord, wpSampleEnd, 100, 200),
              3001);
}

TEST_F(WaveCommandsTest, LoopStartStaysBeforeTheLoopEndAndTheEnd) {
    OpenWith(Saw(10000), 512, 5000, 1000, 3000);
    EXPECT_EQ(Move(&TWaveCommands::SetLoopStartClick, TWaveSample::LoopStartWord, wpLoopStart, 4000,
                   4100),
              2999);
    OpenWith(Saw(10000), 512, 5000, 1000, 8000);
    EXPECT_EQ(Move(&TWaveCommands::SetLoopStartClick, TWaveSample::LoopStartWord, wpLoopStart, 6000,
                   6100),
              4999);
}

TEST_F(WaveCommandsTest, LoopEndStaysAfterTheLoopStartAndWithinTheEnd) {
    OpenWith(Saw(10000), 512, 5000, 2000, 3000);
    EXPECT_EQ(
        Move(&TWaveCommands::SetLoopEndClick, TWaveSample::LoopEndWord, wpLoopEnd, 5900, 6000),
        5000);
    EXPECT_EQ(
        Move(&TWaveCommands::SetLoopEndClick, TWaveSample::LoopEndWord, wpLoopEnd, 1400, 1500),
        2001);
}

// A wavesample whose end is its first sample leaves no room before the end:
// the start stays on sample 0 rather than an address below it.
TEST_F(WaveCommandsTest, MarkersNeverGoBelowTheFirstSample) {
    OpenWith(Saw(1000), 512, 999, 0, 999);
    Eps->SetSampleAddress(wpSampleEnd, 0);
    EXPECT_EQ(
        Move(&TWaveCommands::SetSampleStartClick, TWaveSample::StartWord, wpSampleStart, 0, 10), 0);
    EXPECT_EQ(Move(&TWaveCommands::SetLoopEndClick, TWaveSample::LoopEndWord, wpLoopEnd, 0, 10), 0);
}
