// The Scale Data command against the virtual sampler: the requests it sends
// for an envelope, one per segment, and the sampler's data afterwards.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <chrono>
#include <functional>

#include "emulator/SampleEdits.h"
#include "tests/eps/SamplerFixture.h"
#include "tests/wave_ui/ModalAnswer.h"
#include "wave/ScaleDataCommand.h"
#include "wave/ScaleDataForm.h"

namespace {

constexpr std::uint8_t ScaleCode = 0x22;
constexpr std::uint8_t CopyCode = 0x20;
constexpr std::uint8_t OverviewCode = 0x0A;
constexpr std::uint8_t DataCode = 0x06;
constexpr int Slot = 2;
constexpr int Number = 3;
constexpr std::int16_t Level = 10000;

class ScaleSelectionTest : public SamplerTest {
protected:
    void SetUp() override {
        SamplerTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(OpenOriginal());
    }

    void OpenOriginal() {
        PlaceWaveSample(Slot, Number, Original);
        ASSERT_NO_FATAL_FAILURE(OpenWaveSample(Slot, Number));
        NewMessages();
    }

    // Runs the command on first..last; the user acts on the envelope, then
    // answers with the button (OK when none is given).
    bool Scale(std::int32_t first, std::int32_t last, const std::function<void()>& act = {},
               QPushButton* answer = nullptr) {
        ActThenAnswer(&Form, act, answer != nullptr ? answer : Form.OkButton);
        const bool scaled = ScaleSelection(*Eps, Form, first, last);
        EXPECT_TRUE(AllModalWindowsCame());
        return scaled;
    }

    void Click(int x, int y) { QTest::mouseClick(Form.ScaleBox, Qt::LeftButton, {}, {x, y}); }

    static TBytes ScaleRequest(std::int32_t start, std::int32_t end, std::int32_t startLevel,
                               std::int32_t endLevel, int depth) {
        return TReply()
            .Byte(ScaleCode)
            .Word12(Slot)
            .Word12(0)
            .Word12(Number)
            .Word24(start)
            .Word24(end)
            .Word24(startLevel)
            .Word24(endLevel)
            .Word12(depth)
            .End();
    }

    std::vector<std::int16_t> SamplerData() {
        std::vector<std::int16_t> data = WaveSampleAt(Slot, Number).Data;
        data.resize(Original.size());
        return data;
    }

    // What the sampler makes of one segment's request.
    void ExpectScaled(std::vector<std::int16_t>& data, std::size_t start, std::size_t end,
                      std::int32_t startWord, std::int32_t endWord) {
        TSampleEdits::Scale(data, start, end, TSampleEdits::DecodeLevel(startWord),
                            TSampleEdits::DecodeLevel(endWord));
    }

    std::vector<std::int16_t> Original = std::vector<std::int16_t>(4000, Level);
    TScaleDataForm Form;
};

std::vector<TBytes> WithCode(const std::vector<TBytes>& messages, std::uint8_t code) {
    std::vector<TBytes> found;
    for (const TBytes& message : messages) {
        if (CodeOf(message) == code) {
            found.push_back(message);
        }
    }
    return found;
}

TEST_F(ScaleSelectionTest, UntouchedEnvelopeIsOneRequestOverTheWholeSelection) {
    ASSERT_TRUE(Scale(1000, 1999));
    const std::vector<TBytes> sent = NewMessages();
    EXPECT_EQ(WithCode(sent, ScaleCode),
              std::vector<TBytes>{ScaleRequest(1000, 2000, 258, 258, 0)});
    std::vector<std::int16_t> expected = Original;
    ExpectScaled(expected, 1000, 2000, 258, 258);
    EXPECT_EQ(SamplerData(), expected);
    EXPECT_EQ(SamplerData()[999], Level);
    EXPECT_EQ(SamplerData()[2000], Level);
}

// The middle node at the top: two segments that meet one sample after its
// position, the second ending just past the selection. The sampler takes
// its time over each and asks the editor to wait; each request goes only
// once the one before is answered, and the view read back at the end shows
// both done.
TEST_F(ScaleSelectionTest, TwoSegmentsJoinAfterTheMiddleNode) {
    TSamplerOptions slow;
    slow.Timing.EditPerSample = std::chrono::milliseconds(1);
    slow.Timing.WaitThreshold = std::chrono::milliseconds(50);
    slow.Timing.WaitInterval = std::chrono::milliseconds(50);
    Restart(slow);
    Original.resize(400);
    ASSERT_NO_FATAL_FAILURE(OpenOriginal());
    const TEps::TViewPoints before = Eps->ViewPoints;
    const int viewsBefore = Owner.ViewUpdates;
    ASSERT_TRUE(Scale(0, 310, [&] {
        Click(158, 3);
        Form.DepthScrollBar->setValue(4);
    }));
    const std::vector<TBytes> sent = NewMessages();
    ASSERT_GE(sent.size(), 4u);
    // The selection's copy for undo comes first.
    EXPECT_EQ(CodeOf(sent[0]), CopyCode);
    EXPECT_EQ(sent[1], ScaleRequest(0, 155, 258, 512, 4));
    EXPECT_EQ(sent[2], ScaleRequest(155, 311, 512, 258, 4));
    EXPECT_EQ(WithCode(sent, ScaleCode).size(), 2u);
    // Then the view is read again, sample by sample for a wavesample this
    // short.
    EXPECT_EQ(CodeOf(sent[3]), DataCode);
    EXPECT_EQ(Owner.ViewUpdates, viewsBefore + 1);
    std::vector<std::int16_t> expected = Original;
    ExpectScaled(expected, 0, 155, 258, 512);
    ExpectScaled(expected, 155, 311, 512, 258);
    EXPECT_EQ(SamplerData(), expected);
    EXPECT_EQ(SamplerData()[311], Level);
    EXPECT_EQ(Owner.Busy, 0);
    const TEps::TViewPoints shown = Eps->ViewPoints;
    EXPECT_NE(shown, before);
    Eps->FullViewStale = true;
    ASSERT_TRUE(Eps->RefreshView());
    EXPECT_EQ(Eps->ViewPoints, shown);
}

// Over three samples several nodes fall on the same sample; the empty
// segment between two of them is sent all the same.
TEST_F(ScaleSelectionTest, VeryShortRangeSendsEmptySegmentsToo) {
    ASSERT_TRUE(Scale(10, 12, [&] {
        Click(14, 62);
        Click(25, 62);
    }));
    EXPECT_EQ(
        WithCode(NewMessages(), ScaleCode),
        (std::vector<TBytes>{ScaleRequest(10, 11, 258, 258, 0), ScaleRequest(11, 11, 258, 258, 0),
                             ScaleRequest(11, 13, 258, 258, 0)}));
}

TEST_F(ScaleSelectionTest, CancelSendsNothing) {
    EXPECT_FALSE(Scale(
        1000, 1999, [&] { Click(158, 3); }, Form.CancelButton));
    EXPECT_TRUE(NewMessages().empty());
    EXPECT_EQ(SamplerData(), Original);
}

// Over a selection far longer than the sampler's memory, there is no room
// for the undo copy and the user edits all the same; the second segment
// would grow the wavesample past the memory and is refused; the third is
// sent all the same, and the view is still read back.
TEST_F(ScaleSelectionTest, RefusedSegmentDoesNotStopTheOthers) {
    std::int32_t memory = 0;
    Sampler().Inspect(
        [&](TSamplerModel& model) { memory = static_cast<std::int32_t>(model.MemoryWords()); });
    ASSERT_TRUE(Scale(0, 20 * memory - 1, [&] {
        Click(14, 62);
        Click(25, 62);
    }));
    const std::vector<TBytes> sent = NewMessages();
    const std::vector<TBytes> scaled = WithCode(sent, ScaleCode);
    ASSERT_EQ(scaled.size(), 3u);
    EXPECT_EQ(scaled[2], ScaleRequest(Form.GetNode(2)->Position + 1, 20 * memory, 258, 258, 0));
    EXPECT_EQ(CodeOf(sent[0]), CopyCode);
    EXPECT_EQ(CodeOf(sent[4]), OverviewCode);
    EXPECT_EQ(WaveSampleAt(Slot, Number).Data.size(),
              static_cast<std::size_t>(Form.GetNode(1)->Position + 1));
}

} // namespace
