// The playback mode dialog and its command against the virtual sampler: the
// item shown for each mode word, what OK and Cancel write, and that the main
// window recomputes its loop commands after the word has changed.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <functional>
#include <memory>

#include "tests/eps/SamplerFixture.h"
#include "tests/wave_ui/ModalAnswer.h"
#include "wave/PBModeForm.h"
#include "wave/PlaybackModeCommand.h"

namespace {

constexpr std::uint8_t PutParametersCode = 0x0E;
constexpr int Slot = 1;
constexpr int Number = 2;

// The main window as far as the command concerns it: it notes the mode word
// the engine holds each time it is asked to recompute and redraw.
class TModeWatcher : public TEpsOwner {
public:
    // The engine is made anew for each test, after the watcher.
    explicit TModeWatcher(const std::unique_ptr<TEps>& eps) : Eps(eps) {}
    void BeginBusy() override {}
    void EndBusy() override {}
    void UpdateCommands() override { CommandModes.push_back(Mode()); }
    void UpdateView() override { ViewModes.push_back(Mode()); }

    std::vector<std::int32_t> CommandModes;
    std::vector<std::int32_t> ViewModes;

private:
    std::int32_t Mode() const { return Eps->WaveSampleParameters[wpPlaybackMode]; }
    const std::unique_ptr<TEps>& Eps;
};

class PlaybackModeTest : public SamplerTest {
protected:
    void SetUp() override {
        SamplerTest::SetUp();
        PlaceWaveSample(Slot, Number, std::vector<std::int16_t>(3000, 100));
    }

    void OpenWithMode(int mode) {
        Sampler().Inspect([&](TSamplerModel& model) {
            model.Instrument(Slot)->WaveSample(Number)->Parameters[TWaveSample::PlaybackModeWord] =
                static_cast<std::uint16_t>(mode);
        });
        ASSERT_NO_FATAL_FAILURE(OpenWaveSample(Slot, Number));
        NewMessages();
    }

    // Runs the command; the user looks at the dialog, may pick item (-1
    // picks none), then answers. Returns the item checked on arrival.
    int Choose(int item, QPushButton* answer, bool expected) {
        int shown = -2;
        ActThenAnswer(
            &Form,
            [&] {
                shown = CheckedItem();
                if (item >= 0) {
                    QTest::mouseClick(Form.ModeButtons[item], Qt::LeftButton, {},
                                      QPoint(4, Form.ModeButtons[item]->height() / 2));
                }
            },
            answer);
        EXPECT_EQ(ChangePlaybackMode(*Eps, Watcher, Form), expected);
        EXPECT_TRUE(AllModalWindowsCame());
        return shown;
    }

    int CheckedItem() const {
        for (int k = 0; k < TPBModeForm::ModeCount; ++k) {
            if (Form.ModeButtons[k]->isChecked()) {
                return k;
            }
        }
        return -1;
    }

    int SamplerMode() {
        return WaveSampleAt(Slot, Number).Parameters[TWaveSample::PlaybackModeWord];
    }

    int ParameterWrites() {
        int writes = 0;
        for (const TBytes& message : NewMessages()) {
            writes += CodeOf(message) == PutParametersCode ? 1 : 0;
        }
        return writes;
    }

    TPBModeForm Form;
    TModeWatcher Watcher{Eps};
};

TEST_F(PlaybackModeTest, ItemsAreTheFiveModesInOrder) {
    QStringList captions;
    for (QRadioButton* button : Form.ModeButtons) {
        captions << button->text();
    }
    EXPECT_EQ(captions, (QStringList{"Forward - No Loop", "Backward - No Loop", "Loop Forward",
                                     "Loop Bidirectional", "Loop and Release"}));
    EXPECT_EQ(Form.windowTitle(), "Wavesample Playback Mode");
    EXPECT_EQ(Form.Mode, 0);
}

// Every caption shows whole: the group grows with the font rather than
// cutting the modes short.
TEST_F(PlaybackModeTest, EveryModeCaptionHasTheRoomItNeeds) {
    Form.show();
    for (QRadioButton* button : Form.ModeButtons) {
        EXPECT_GE(button->width(), button->sizeHint().width()) << button->text().toStdString();
        EXPECT_GE(button->height(), button->sizeHint().height()) << button->text().toStdString();
    }
    EXPECT_GE(Form.PBModeGroup->width(), 145);
    EXPECT_GE(Form.PBModeGroup->height(), 105);
    Form.hide();
}

TEST_F(PlaybackModeTest, OkWithoutAChangeSendsTheBlockAgain) {
    ASSERT_NO_FATAL_FAILURE(OpenWithMode(768));
    EXPECT_EQ(Choose(-1, Form.OkButton, true), 3);
    EXPECT_EQ(ParameterWrites(), 1);
    EXPECT_EQ(SamplerMode(), 768);
    EXPECT_EQ(Watcher.CommandModes, std::vector<std::int32_t>{768});
}

// Leaving the loop: the word is in the block by the time the window
// recomputes its commands and redraws, so the loop markers and commands go
// at once.
TEST_F(PlaybackModeTest, LeavingTheLoopIsWrittenBeforeTheWindowRecomputes) {
    ASSERT_NO_FATAL_FAILURE(OpenWithMode(512));
    EXPECT_EQ(Choose(0, Form.OkButton, true), 2);
    EXPECT_EQ(Form.Mode, 0);
    EXPECT_EQ(ParameterWrites(), 1);
    EXPECT_EQ(SamplerMode(), 0);
    EXPECT_EQ(Watcher.CommandModes, std::vector<std::int32_t>{0});
    EXPECT_EQ(Watcher.ViewModes, std::vector<std::int32_t>{0});
}

TEST_F(PlaybackModeTest, EachItemWritesItsWord) {
    ASSERT_NO_FATAL_FAILURE(OpenWithMode(0));
    for (int item : {4, 1, 2}) {
        Choose(item, Form.OkButton, true);
        EXPECT_EQ(SamplerMode(), 256 * item);
    }
}

TEST_F(PlaybackModeTest, CancelSendsNothingAndTheNextShowingReadsTheBlockAgain) {
    ASSERT_NO_FATAL_FAILURE(OpenWithMode(1024));
    EXPECT_EQ(Choose(1, Form.CancelButton, false), 4);
    EXPECT_EQ(ParameterWrites(), 0);
    EXPECT_EQ(Eps->WaveSampleParameters[wpPlaybackMode], 1024);
    EXPECT_TRUE(Watcher.CommandModes.empty());
    EXPECT_EQ(Choose(-1, Form.CancelButton, false), 4);
}

// A word outside the table shows no item on the first showing, and OK then
// writes the Mode of before; later, it shows the item last selected.
TEST_F(PlaybackModeTest, UnknownWordKeepsThePreviousSelection) {
    ASSERT_NO_FATAL_FAILURE(OpenWithMode(1280));
    EXPECT_EQ(Choose(-1, Form.OkButton, true), -1);
    EXPECT_EQ(SamplerMode(), 0);
    Choose(2, Form.CancelButton, false);
    Eps->WaveSampleParameters[wpPlaybackMode] = 1280;
    EXPECT_EQ(Choose(-1, Form.OkButton, true), 2);
    EXPECT_EQ(SamplerMode(), 512);
}

TEST_F(PlaybackModeTest, EscDeclinesAndOkIsFocused) {
    ASSERT_NO_FATAL_FAILURE(OpenWithMode(0));
    bool okFocused = false;
    WhenModal(&Form, [&] {
        okFocused = Form.focusWidget() == Form.OkButton;
        QTest::keyClick(&Form, Qt::Key_Escape);
    });
    EXPECT_FALSE(ChangePlaybackMode(*Eps, Watcher, Form));
    EXPECT_TRUE(okFocused);
    EXPECT_EQ(ParameterWrites(), 0);
}

} // namespace
