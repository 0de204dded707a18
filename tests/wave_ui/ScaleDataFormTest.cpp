// The envelope dialog driven with the mouse and keys as a user drives it:
// the flat start, grabbing and inserting nodes, dragging within limits,
// deleting, the depth setting and what the box draws.
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <functional>
#include <utility>
#include <vector>

#include "tests/wave_ui/ModalAnswer.h"
#include "wave/ScaleDataForm.h"

// Found by GoogleTest beside the type it prints.
void PrintTo(const TScaleDataForm::TNodeValue& value, std::ostream* out) {
    *out << "position " << value.Position << " level " << value.Level;
}

namespace {

using TPoints = std::vector<std::pair<int, int>>;

class ScaleDataFormTest : public ::testing::Test {
protected:
    // Shows the envelope for first..last, lets the user act on it while it is
    // up, then answers with the button (OK when none is given).
    TModalResult Show(std::int32_t first, std::int32_t last, const std::function<void()>& act = {},
                      QPushButton* answer = nullptr) {
        ActThenAnswer(&Form, act, answer != nullptr ? answer : Form.OkButton);
        const TModalResult result = Form.Execute(first, last);
        EXPECT_TRUE(AllModalWindowsCame());
        return result;
    }

    void Click(int x, int y, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(Form.ScaleBox, button, {}, QPoint(x, y));
    }
    void Drag(QPoint from, QPoint to) {
        QTest::mousePress(Form.ScaleBox, Qt::LeftButton, {}, from);
        QTest::mouseMove(Form.ScaleBox, to);
        QTest::mouseRelease(Form.ScaleBox, Qt::LeftButton, {}, to);
    }
    // The key reaches the dialog's commands once the dialog is the active
    // window, as it is when the user types.
    void PressDel() {
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Form));
        QTest::keyClick(&Form, Qt::Key_Delete);
    }

    // The nodes' columns and rows, left to right.
    TPoints Nodes() const {
        TPoints points;
        for (const TScaleNode* node = Form.Nodes.get(); node != nullptr; node = node->Next.get()) {
            points.emplace_back(node->X, node->Y);
        }
        return points;
    }

    TScaleDataForm Form;
};

using TNodeValue = TScaleDataForm::TNodeValue;

TEST_F(ScaleDataFormTest, UntouchedEnvelopeIsFlatJustAboveUnity) {
    ASSERT_EQ(Show(1000, 1999), mrOk);
    EXPECT_EQ(Form.ScaleBox->size(), QSize(317, 125));
    EXPECT_EQ(Nodes(), (TPoints{{3, 62}, {314, 62}}));
    // Row 62 is level 130, not 128: the division truncates.
    EXPECT_EQ(Form.GetNode(0), (TNodeValue{1000, 258}));
    EXPECT_EQ(Form.GetNode(1), (TNodeValue{1999, 258}));
    EXPECT_FALSE(Form.GetNode(2).has_value());
}

TEST_F(ScaleDataFormTest, LevelWordMovesTheBitsAboveSevenIntoTheNextByte) {
    EXPECT_EQ(TScaleDataForm::LevelWord(256), 512);
    EXPECT_EQ(TScaleDataForm::LevelWord(130), 258);
    EXPECT_EQ(TScaleDataForm::LevelWord(128), 256);
    EXPECT_EQ(TScaleDataForm::LevelWord(127), 127);
    EXPECT_EQ(TScaleDataForm::LevelWord(0), 0);
}

TEST_F(ScaleDataFormTest, EndNodesMoveOnlyUpAndDownAndStayInTheBand) {
    ASSERT_EQ(Show(0, 999,
                   [&] {
                       Drag({3, 62}, {60, -40});
                       Drag({314, 62}, {200, 400});
                   }),
              mrOk);
    EXPECT_EQ(Nodes(), (TPoints{{3, 3}, {314, 122}}));
    EXPECT_EQ(Form.GetNode(0), (TNodeValue{0, 512}));
    EXPECT_EQ(Form.GetNode(1), (TNodeValue{999, 0}));
}

TEST_F(ScaleDataFormTest, PressNeedsElevenPixelsOfRoomToInsertAndFiveToGrab) {
    ASSERT_EQ(Show(0, 999,
                   [&] {
                       Click(13, 30);
                       EXPECT_EQ(Nodes().size(), 2u);
                       EXPECT_EQ(Form.SelectedNode, nullptr);
                       Click(14, 30);
                       EXPECT_EQ(Nodes(), (TPoints{{3, 62}, {14, 30}, {314, 62}}));
                       EXPECT_EQ(Form.SelectedNode, Form.Nodes->Next.get());
                       // Only the column decides: a press far below still
                       // grabs the first node.
                       Click(8, 110);
                       EXPECT_EQ(Form.SelectedNode, Form.Nodes.get());
                       EXPECT_EQ(Nodes().size(), 3u);
                       Click(200, 30, Qt::RightButton);
                       EXPECT_EQ(Nodes().size(), 3u);
                   }),
              mrOk);
    EXPECT_FALSE(Form.Dragging);
    EXPECT_EQ(Form.SelectedNode, Form.Nodes.get());
}

TEST_F(ScaleDataFormTest, InsertedNodeIsKeptInsideTheBand) {
    ASSERT_EQ(Show(0, 999,
                   [&] {
                       Click(100, 124);
                       Click(200, 0);
                   }),
              mrOk);
    EXPECT_EQ(Nodes(), (TPoints{{3, 62}, {100, 122}, {200, 3}, {314, 62}}));
}

TEST_F(ScaleDataFormTest, NodePositionIsTheColumnScaledOverTheRange) {
    ASSERT_EQ(Show(0, 310, [&] { Click(158, 30); }), mrOk);
    // 0 + (158 - 3) * 310 div 311
    EXPECT_EQ(Form.GetNode(1)->Position, 154);
    ASSERT_EQ(Show(1000000, 9000000, [&] { Click(313 - 11, 30); }), mrOk);
    // The product of column and length passes 2^31.
    EXPECT_EQ(Form.GetNode(1)->Position, 1000000 + (302 - 3) * 8000000LL / 311);
}

TEST_F(ScaleDataFormTest, DraggedNodeKeepsFourPixelsFromItsNeighbours) {
    ASSERT_EQ(Show(0, 999,
                   [&] {
                       Click(100, 30);
                       Drag({100, 30}, {0, -50});
                       EXPECT_EQ(Nodes()[1], std::make_pair(7, 3));
                       Drag({10, 3}, {400, 500});
                   }),
              mrOk);
    EXPECT_EQ(Nodes(), (TPoints{{3, 62}, {310, 122}, {314, 62}}));
}

TEST_F(ScaleDataFormTest, DelRemovesTheSelectedInnerNodeOnly) {
    ASSERT_EQ(Show(0, 999,
                   [&] {
                       PressDel();
                       EXPECT_EQ(Nodes().size(), 2u);
                       Click(100, 30);
                       Click(200, 90);
                       PressDel();
                       EXPECT_EQ(Nodes(), (TPoints{{3, 62}, {100, 30}, {314, 62}}));
                       EXPECT_EQ(Form.SelectedNode, nullptr);
                       EXPECT_EQ(Form.Nodes->Next->Next->Prev, Form.Nodes->Next.get());
                       Click(3, 62);
                       PressDel();
                       Click(314, 62);
                       PressDel();
                       EXPECT_EQ(Nodes().size(), 3u);
                   }),
              mrOk);
    EXPECT_EQ(Form.SelectedNode, Form.Nodes->Next->Next.get());
}

// Del while the button still holds the node deletes it; the moves that
// follow have no node to move.
TEST_F(ScaleDataFormTest, DelDuringADragEndsTheDragSafely) {
    ASSERT_EQ(Show(0, 999,
                   [&] {
                       QTest::mousePress(Form.ScaleBox, Qt::LeftButton, {}, {100, 30});
                       PressDel();
                       QTest::mouseMove(Form.ScaleBox, {150, 90});
                       QTest::mouseRelease(Form.ScaleBox, Qt::LeftButton, {}, {150, 90});
                   }),
              mrOk);
    EXPECT_EQ(Nodes(), (TPoints{{3, 62}, {314, 62}}));
}

TEST_F(ScaleDataFormTest, EveryShowingStartsFromTheFlatEnvelope) {
    ASSERT_EQ(Show(0, 999, [&] { Drag({3, 62}, {3, 10}); }), mrOk);
    ASSERT_EQ(Show(0, 999, [&] { Click(100, 30); }), mrOk);
    EXPECT_EQ(Show(500, 600), mrOk);
    EXPECT_EQ(Nodes(), (TPoints{{3, 62}, {314, 62}}));
    EXPECT_EQ(Form.SelectedNode, nullptr);
    EXPECT_EQ(Form.GetNode(0)->Position, 500);
}

TEST_F(ScaleDataFormTest, DepthLabelShowsHalfDecibelsAndThePositionStays) {
    EXPECT_EQ(Form.DepthLabel->text(), "3 dB");
    QStringList shown;
    ASSERT_EQ(Show(0, 999,
                   [&] {
                       for (int p = 0; p <= 6; ++p) {
                           Form.DepthScrollBar->setValue(p);
                           shown << Form.DepthLabel->text();
                       }
                       QTest::mouseClick(Form.DepthScrollBar, Qt::LeftButton, {},
                                         QPoint(3, Form.DepthScrollBar->height() / 2));
                   }),
              mrOk);
    EXPECT_EQ(shown, (QStringList{"3 dB", "3.5 dB", "4 dB", "4.5 dB", "5 dB", "5.5 dB", "6 dB"}));
    // The left arrow took one step back.
    EXPECT_EQ(Form.Depth(), 5);
    EXPECT_EQ(Show(0, 999), mrOk);
    EXPECT_EQ(Form.Depth(), 5);
    EXPECT_EQ(Form.DepthLabel->text(), "5.5 dB");
}

TEST_F(ScaleDataFormTest, DepthLabelUsesTheLocaleDecimalSeparator) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Form.DepthScrollBar->setValue(1);
    const QString german = Form.DepthLabel->text();
    QLocale::setDefault(before);
    EXPECT_EQ(german, "3,5 dB");
}

TEST_F(ScaleDataFormTest, OkIsFocusedAndCancelOrEscDeclines) {
    bool okFocused = false;
    EXPECT_EQ(
        Show(
            0, 999, [&] { okFocused = Form.focusWidget() == Form.OkButton; }, Form.CancelButton),
        mrCancel);
    EXPECT_TRUE(okFocused);
    WhenModal(&Form, [&] { QTest::keyClick(&Form, Qt::Key_Escape); });
    EXPECT_EQ(Form.Execute(0, 999), mrCancel);
    WhenModal(&Form, [&] { QTest::keyClick(&Form, Qt::Key_Return); });
    EXPECT_EQ(Form.Execute(0, 999), mrOk);
    EXPECT_TRUE(AllModalWindowsCame());
}

TEST_F(ScaleDataFormTest, BoxDrawsTheUnityLineAndTheNodes) {
    QImage drawn;
    ASSERT_EQ(Show(0, 999,
                   [&] {
                       Click(158, 30);
                       drawn = Form.ScaleBox->grab().toImage();
                   }),
              mrOk);
    const auto colour = [&](int x, int y) { return drawn.pixelColor(x, y); };
    // The unity line, also inside the hollow square of the first node.
    EXPECT_EQ(colour(250, 62), QColor(0, 0, 255));
    EXPECT_EQ(colour(1, 62), QColor(0, 0, 255));
    // The square's outline spans X - 3 .. X + 2.
    EXPECT_EQ(colour(0, 60), QColor(Qt::black));
    EXPECT_EQ(colour(5, 60), QColor(Qt::black));
    EXPECT_EQ(colour(6, 60), QColor(Qt::white));
    // The selected node is filled.
    EXPECT_EQ(colour(157, 29), QColor(Qt::black));
    EXPECT_EQ(colour(250, 10), QColor(Qt::white));
}

} // namespace
