// The progress window: its texts for the time left and the percentage, the
// main window's input taken away and given back, and every way of closing
// it turned into a cancel request while it stays up.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "transfer/ui/StatusForm.h"

namespace {

class StatusFormTest : public ::testing::Test {
protected:
    void SetUp() override { MainWindow.show(); }
    void TearDown() override { Form.EndTransfer(); }

    // Starts a transfer and waits until its window takes the keyboard.
    void Begin() {
        Form.BeginTransfer("Downloading...");
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Form));
    }

    // A key as the user presses it: to the widget that has the focus.
    void Press(Qt::Key key) {
        QWidget* focused = QApplication::focusWidget();
        QTest::keyClick(focused != nullptr ? focused : &Form, key);
    }

    QString TimeText(float seconds) {
        Form.ShowProgress(seconds, 0);
        return Form.TimeLabel->text();
    }

    QWidget MainWindow;
    // One of the main window's parts, as its menus and wave area are.
    QWidget* Part = new QWidget(&MainWindow);
    TStatusForm Form{&MainWindow};
};

TEST_F(StatusFormTest, StartsWithItsLayoutTexts) {
    EXPECT_EQ(Form.windowTitle(), "Status");
    EXPECT_EQ(Form.TimeLabel->text(), "Time left : ???");
    EXPECT_EQ(Form.CancelButton->text(), "Cancel");
    EXPECT_EQ(Form.ProgressBar->minimum(), 0);
    EXPECT_EQ(Form.ProgressBar->maximum(), 100);
    EXPECT_EQ(Form.size(), QSize(441, 123));
    EXPECT_FALSE(Form.isVisible());
}

// Over the main window, as the program's dialogs and messages come up,
// wherever the main window stands on the screen.
TEST_F(StatusFormTest, ComesUpOverTheMainWindow) {
    MainWindow.setGeometry(0, 0, 480, 320);
    Begin();
    const QPoint offset = Form.frameGeometry().center() - MainWindow.frameGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 10) << offset.x() << ", " << offset.y();
}

TEST_F(StatusFormTest, TimeLeftIsSecondsUnderAMinuteAndMinutesColonTwoDigitSecondsAbove) {
    EXPECT_EQ(TimeText(59.9f), "Time left : 59 sec");
    EXPECT_EQ(TimeText(60.0f), "Time left : 1:00");
    EXPECT_EQ(TimeText(3725.0f), "Time left : 62:05");
    EXPECT_EQ(TimeText(125.0f), "Time left : 2:05");
    EXPECT_EQ(TimeText(0.999f), "Time left : 0 sec");
    EXPECT_EQ(TimeText(0.0f), "Time left : 0 sec");
    Form.ShowStall(7);
    EXPECT_EQ(Form.TimeLabel->text(), QString("Waiting for the sampler\u2026 7 s"));
}

// The minutes come from a multiplication by 1/60: on every whole minute it
// must still reach the full count, not one less.
TEST_F(StatusFormTest, WholeMinutesAreNeverShortOfOne) {
    for (int minutes = 1; minutes <= 1000; ++minutes) {
        ASSERT_EQ(TimeText(static_cast<float>(60 * minutes)),
                  QString("Time left : %1:00").arg(minutes));
        ASSERT_EQ(TimeText(static_cast<float>(60 * minutes) - 0.01f),
                  minutes == 1 ? QString("Time left : 59 sec")
                               : QString("Time left : %1:59").arg(minutes - 1));
    }
}

TEST_F(StatusFormTest, EstimatesOutOfRangeDoNotBreakTheText) {
    EXPECT_FALSE(TimeText(std::numeric_limits<float>::infinity()).isEmpty());
    EXPECT_FALSE(TimeText(std::numeric_limits<float>::quiet_NaN()).isEmpty());
    EXPECT_FALSE(TimeText(1e30f).isEmpty());
}

TEST_F(StatusFormTest, PercentIsTruncated) {
    Form.ShowProgress(10, 99.9f);
    EXPECT_EQ(Form.ProgressBar->value(), 99);
    Form.ShowProgress(10, 100.0f);
    EXPECT_EQ(Form.ProgressBar->value(), 100);
    Form.ShowProgress(10, 0.5f);
    EXPECT_EQ(Form.ProgressBar->value(), 0);
}

TEST_F(StatusFormTest, TransferTakesTheMainWindowsInputUntilItEnds) {
    Form.ShowProgress(125, 60);
    Form.CancelButtonClick();
    ASSERT_NO_FATAL_FAILURE(Begin());
    EXPECT_TRUE(Form.isVisible());
    EXPECT_EQ(Form.windowTitle(), "Downloading...");
    // The main window owns it and stays enabled, its parts do not.
    EXPECT_EQ(Form.parentWidget(), &MainWindow);
    EXPECT_TRUE(MainWindow.isEnabled());
    EXPECT_FALSE(Part->isEnabled());
    EXPECT_TRUE(Form.CancelButton->isEnabled());
    EXPECT_FALSE(Form.Cancelled());
    EXPECT_EQ(Form.ProgressBar->value(), 0);
    // The time of the last transfer stays until the first figures come.
    EXPECT_EQ(Form.TimeLabel->text(), "Time left : 2:05");
    Form.EndTransfer();
    EXPECT_FALSE(Form.isVisible());
    EXPECT_TRUE(Part->isEnabled());
}

// The main window's close box during a transfer asks; Continue leaves the
// transfer running, "Cancel and Close" cancels it and asks the main window
// to close once it has ended.
TEST_F(StatusFormTest, TheMainWindowsCloseBoxAsksWhetherToCancel) {
    ASSERT_NO_FATAL_FAILURE(Begin());
    QMessageBox* question = Form.CloseQuestion;
    const std::vector<std::pair<QMessageBox::StandardButton, bool>> answers = {
        {QMessageBox::No, false}, {QMessageBox::Yes, true}};
    for (const auto& [answer, cancels] : answers) {
        EXPECT_FALSE(MainWindow.close());
        EXPECT_TRUE(MainWindow.isVisible());
        ASSERT_TRUE(question->isVisible());
        EXPECT_EQ(question->text(), "A download is running. Cancel it and close?");
        QTest::mouseClick(question->button(answer), Qt::LeftButton);
        EXPECT_FALSE(question->isVisible());
        EXPECT_EQ(Form.Cancelled(), cancels);
        EXPECT_EQ(Form.CloseRequested(), cancels);
        EXPECT_TRUE(Form.isVisible());
    }
    // Unanswered when the transfer ends, the question goes with it.
    EXPECT_FALSE(MainWindow.close());
    Form.EndTransfer();
    EXPECT_FALSE(question->isVisible());
    EXPECT_TRUE(MainWindow.close());
}

// The question names the job that runs, and neither answer wears the
// style's tick or cross: leaving the job unfinished is no "yes" to cheer.
TEST_F(StatusFormTest, TheCloseQuestionNamesTheJobThatRuns) {
    const std::vector<std::pair<std::string, QString>> jobs = {{"Downloading...", "A download"},
                                                               {"Uploading...", "An upload"},
                                                               {"Verifying...", "A verification"},
                                                               {"Backing up...", "A backup"},
                                                               {"Restoring...", "A restore"}};
    for (const auto& [caption, job] : jobs) {
        Form.BeginTransfer(caption);
        EXPECT_FALSE(MainWindow.close());
        EXPECT_EQ(Form.CloseQuestion->text().toStdString(),
                  (job + " is running. Cancel it and close?").toStdString());
        for (QAbstractButton* button : Form.CloseQuestion->buttons()) {
            EXPECT_TRUE(button->icon().isNull()) << button->text().toStdString();
        }
        Form.EndTransfer();
    }
}

// The Cancel button, Esc, Enter and the close box all ask the transfer to
// stop; the window stays up until the transfer ends.
TEST_F(StatusFormTest, EveryWayOfClosingAsksToStopAndTheWindowStays) {
    const std::vector<std::pair<const char*, std::function<void()>>> ways = {
        {"Cancel", [&] { QTest::mouseClick(Form.CancelButton, Qt::LeftButton); }},
        {"Esc", [&] { Press(Qt::Key_Escape); }},
        {"Enter", [&] { Press(Qt::Key_Return); }},
        {"close box", [&] { EXPECT_FALSE(Form.close()); }},
    };
    for (const auto& [name, close] : ways) {
        SCOPED_TRACE(name);
        ASSERT_NO_FATAL_FAILURE(Begin());
        close();
        EXPECT_TRUE(QTest::qWaitFor([&] { return Form.Cancelled(); }, 2000));
        EXPECT_TRUE(Form.isVisible());
        EXPECT_FALSE(Part->isEnabled());
        Form.EndTransfer();
    }
}

// A transfer learns of the user's request on the pass of its loop that
// serves the window's input.
TEST_F(StatusFormTest, RequestIsSeenOnceTheLoopServesTheWindow) {
    ASSERT_NO_FATAL_FAILURE(Begin());
    QCoreApplication::postEvent(&Form, new QCloseEvent);
    EXPECT_FALSE(Form.Cancelled());
    Form.ProcessEvents();
    EXPECT_TRUE(Form.Cancelled());
}

TEST_F(StatusFormTest, CancelStaysSetUntilTheNextTransferBegins) {
    ASSERT_NO_FATAL_FAILURE(Begin());
    QTest::mouseClick(Form.CancelButton, Qt::LeftButton);
    Form.EndTransfer();
    EXPECT_TRUE(Form.Cancelled());
    ASSERT_NO_FATAL_FAILURE(Begin());
    EXPECT_FALSE(Form.Cancelled());
}

} // namespace
