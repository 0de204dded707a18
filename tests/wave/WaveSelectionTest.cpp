// The mouse in the wave box against the virtual sampler: what drags select,
// what clicks clear and extend, how the selection is inverted on the picture and undone,
// when it is dropped or kept, and the note that sounds while the right
// button is held.
#include <gtest/gtest.h>

#include <QTest>

#include "tests/support/Eventually.h"
#include "tests/wave/WaveViewFixture.h"

namespace {

constexpr QRgb ColourBits = 0x00FFFFFF;

} // namespace

class WaveSelectionTest : public WaveViewTest {
protected:
    // Which columns of the picture are the inversion of those of plain; the
    // others must be the same.
    static std::vector<int> InvertedColumns(const QImage& plain, const QImage& picture) {
        std::vector<int> inverted;
        for (int x = 0; x < plain.width(); ++x) {
            int flipped = 0;
            for (int y = 0; y < plain.height(); ++y) {
                const QRgb before = plain.pixel(x, y);
                const QRgb now = picture.pixel(x, y);
                flipped += now == (before ^ ColourBits) ? 1 : 0;
                EXPECT_TRUE(now == before || now == (before ^ ColourBits)) << x << "," << y;
            }
            if (flipped == plain.height()) {
                inverted.push_back(x);
            }
        }
        return inverted;
    }
    static std::vector<int> Columns(int first, int last) {
        std::vector<int> columns;
        for (int x = first; x <= last; ++x) {
            columns.push_back(x);
        }
        return columns;
    }
    // The picture of the view as it is, without any selection.
    QImage PlainPicture() {
        const bool had = State.HasSelection;
        State.HasSelection = false;
        Box->Invalidate();
        QImage plain = Picture().copy();
        State.HasSelection = had;
        Box->Invalidate();
        return plain;
    }
    void Press(Qt::MouseButton button, int column) {
        QTest::mousePress(Box, button, {}, QPoint(column, 10));
    }
    void Release(Qt::MouseButton button, int column) {
        QTest::mouseRelease(Box, button, {}, QPoint(column, 10));
    }
    void MoveTo(int column) { QTest::mouseMove(Box, QPoint(column, 10)); }
};

// A selection is whole points of the window it was made in: at 8 samples
// per point from sample 4096, point 10 is samples 4176..4183. A click that
// does not drag clears it; one with Shift moves its nearer end to the point.
TEST_F(WaveSelectionTest, DragsSelectWholePointsAndClicksClearOrExtend) {
    Open(Saw(100000));
    ShowWindow(4096, 8192);
    ASSERT_EQ(Eps->SamplesPerPoint, 8);
    const int updates = ViewOwner.CommandUpdates;
    SelectPoint(10);
    EXPECT_TRUE(State.HasSelection);
    EXPECT_EQ(State.SelStart, 4176);
    EXPECT_EQ(State.SelEnd, 4183);
    EXPECT_GT(ViewOwner.CommandUpdates, updates);

    const int row = Box->height() / 2;
    QTest::mouseClick(Box, Qt::LeftButton, Qt::ShiftModifier, QPoint(20, row));
    EXPECT_EQ(State.SelStart, 4176);
    EXPECT_EQ(State.SelEnd, 4096 + 21 * 8 - 1);
    QTest::mouseClick(Box, Qt::LeftButton, Qt::ShiftModifier, QPoint(5, row));
    EXPECT_EQ(State.SelStart, 4096 + 5 * 8);
    EXPECT_EQ(State.SelEnd, 4096 + 21 * 8 - 1);
    // A click that strays less than a drag's worth is still a click.
    QTest::mousePress(Box, Qt::LeftButton, {}, QPoint(40, row));
    QTest::mouseMove(Box, QPoint(41, row));
    QTest::mouseRelease(Box, Qt::LeftButton, {}, QPoint(41, row));
    EXPECT_FALSE(State.HasSelection);
    EXPECT_FALSE(State.Dragging);

    // Backwards from point 300 to point 100: points 100..300.
    Drag(300, 100);
    EXPECT_EQ(State.SelStart, 4096 + 100 * 8);
    EXPECT_EQ(State.SelEnd, 4096 + 301 * 8 - 1);
    // Past either edge the selection reaches that edge.
    Drag(50, -40);
    EXPECT_EQ(State.SelStart, 4096);
    EXPECT_EQ(State.SelEnd, 4096 + 51 * 8 - 1);
    Drag(400, BoxWidth + 300);
    EXPECT_EQ(State.SelStart, 4096 + 400 * 8);
    EXPECT_EQ(State.SelEnd, 8191);

    // Once the button is up, moving selects nothing.
    MoveTo(20);
    EXPECT_EQ(State.SelStart, 4096 + 400 * 8);
    EXPECT_FALSE(State.Dragging);
}

TEST_F(WaveSelectionTest, InversionFollowsTheDragAndUndoesItself) {
    Open(Saw(10000));
    const QImage plain = Picture().copy();
    Press(Qt::LeftButton, 10);
    EXPECT_EQ(InvertedColumns(plain, Picture()), Columns(10, 10));
    MoveTo(20);
    EXPECT_EQ(InvertedColumns(plain, Picture()), Columns(10, 20));
    MoveTo(5);
    EXPECT_EQ(InvertedColumns(plain, Picture()), Columns(5, 10));
    Release(Qt::LeftButton, 5);
    const QImage selected = Picture().copy();

    // A repaint draws the picture anew and the selection over it again.
    Box->Invalidate();
    EXPECT_EQ(Picture(), selected);

    // Dropping the selection and redrawing leaves the plain picture.
    State.HasSelection = false;
    View->UpdateView();
    EXPECT_EQ(Picture(), plain);
}

// After a zoom out the same samples cover half as many columns; a scroll
// drops the selection.
TEST_F(WaveSelectionTest, ZoomOutKeepsTheSelectionAndScrollingDropsIt) {
    Open(Saw(100000));
    ShowWindow(1000, 1512);
    Drag(100, 199);
    ASSERT_EQ(State.SelStart, 1100);
    ASSERT_EQ(State.SelEnd, 1199);
    View->ZoomOut();
    ASSERT_EQ(Eps->ViewStart, 744);
    EXPECT_TRUE(State.HasSelection);
    const QImage plain = PlainPicture();
    EXPECT_EQ(InvertedColumns(plain, Picture()), Columns((1100 - 744) / 2, (1200 - 744) / 2 - 1));

    ScrollBar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_FALSE(State.HasSelection);
    Picture();
    EXPECT_FALSE(State.SelectionDrawn);
}

TEST_F(WaveSelectionTest, RightButtonPlaysTheNoteWhileHeld) {
    Open(Saw(10000));
    Press(Qt::RightButton, 50);
    ASSERT_TRUE(Eventually([this] { return Sampler().Performance().Sounding; }));
    const TSamplerProtocol::TPerformance played = Sampler().Performance();
    EXPECT_EQ(played.Instrument, Instrument);
    EXPECT_EQ(played.Key, Eps->GetPlayKey());
    EXPECT_EQ(played.Velocity, 121);

    // While the note sounds the left button selects nothing.
    SelectPoint(30);
    EXPECT_FALSE(State.HasSelection);

    Release(Qt::RightButton, 50);
    EXPECT_TRUE(Eventually([this] { return !Sampler().Performance().Sounding; }));
    SelectPoint(30);
    EXPECT_TRUE(State.HasSelection);
}

TEST_F(WaveSelectionTest, WithNothingOpenTheMouseDoesNothing) {
    Click(30);
    Press(Qt::RightButton, 30);
    Release(Qt::RightButton, 30);
    EXPECT_FALSE(State.HasSelection);
    EXPECT_FALSE(View->Selection.Playing());
    EXPECT_EQ(Sampler().Performance().Key, -1);
}
