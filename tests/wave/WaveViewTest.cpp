// The wave view against the virtual sampler: the window after opening,
// zooming, showing all and scrolling, with the scroll bar following it, and
// the picture drawn from the display points and the markers.
#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

#include "tests/wave/WaveViewFixture.h"
#include "wave/WavePicture.h"

namespace {

constexpr std::uint8_t OverviewCode = 0x0A;
constexpr std::int16_t Half = 16384;

std::vector<std::int16_t> Constant(std::size_t count, std::int16_t value) {
    return std::vector<std::int16_t>(count, value);
}

} // namespace

class WaveViewPictureTest : public WaveViewTest {
protected:
    QColor At(int x, int y) { return QColor(Picture().pixel(x, y)); }
    bool Is(int x, int y, const QColor& colour) { return At(x, y) == colour; }
    int CentreRow() { return (BoxHeight() - 2) / 2; }
    // Rows of column x that have this colour.
    std::vector<int> RowsOf(int x, const QColor& colour) {
        std::vector<int> rows;
        for (int y = 0; y < Picture().height(); ++y) {
            if (Is(x, y, colour)) {
                rows.push_back(y);
            }
        }
        return rows;
    }
    std::vector<int> Range(int first, int last) {
        std::vector<int> rows;
        for (int y = first; y <= last; ++y) {
            rows.push_back(y);
        }
        return rows;
    }
    void SetMarker(int first, std::int32_t sample) {
        Eps->SetSampleAddress(first, sample);
        View->UpdateView();
    }
    void SetMode(std::int32_t mode) {
        Eps->WaveSampleParameters[wpPlaybackMode] = mode;
        View->UpdateView();
    }
};

TEST_F(WaveViewPictureTest, NothingOpenIsSilverWithoutScrollBar) {
    EXPECT_EQ(ScrollBox->palette().color(QPalette::Window), TWavePicture::ClosedBackground);
    EXPECT_EQ(At(0, 0), TWavePicture::ClosedBackground);
    EXPECT_EQ(At(BoxWidth - 1, BoxHeight() - 1), TWavePicture::ClosedBackground);
    EXPECT_FALSE(ScrollBar->isVisibleTo(ScrollBox.get()));
}

// 10000 samples: 20 per point, the whole wavesample read as an overview
// of twice the window, each point a bar as high above the centre as below.
TEST_F(WaveViewPictureTest, OpenedWavesampleShowsWholeAsBarsOnBlack) {
    Open(Saw(10000));
    EXPECT_EQ(Eps->SamplesPerPoint, 20);
    EXPECT_EQ(Eps->ViewStart, 0);
    EXPECT_EQ(Eps->ViewEnd, 10000);
    EXPECT_FALSE(Eps->Zoomed);
    const std::vector<TBytes> sent = NewMessages();
    EXPECT_NE(std::find(sent.begin(), sent.end(),
                        RangeRequest(OverviewCode, Instrument, Number, 0, 20480)),
              sent.end());
    EXPECT_FALSE(ScrollBar->isVisibleTo(ScrollBox.get()));
    EXPECT_EQ(ScrollBox->palette().color(QPalette::Window), TWavePicture::OpenBackground);

    const int a = CentreRow();
    const double valuePerRow = 32768.0 / a;
    for (int column : {1, 100, 250, 498}) {
        const int reach = static_cast<int>(Eps->ViewPoints[column] / valuePerRow);
        EXPECT_EQ(RowsOf(column, TWavePicture::WaveColour), Range(a - reach, a + reach)) << column;
    }
    // Past the wavesample's end the sampler reads silence: a bar of one row.
    EXPECT_EQ(RowsOf(505, TWavePicture::WaveColour), Range(a, a));
}

TEST_F(WaveViewPictureTest, MarkersAreBracketsOpeningOutward) {
    Open(Saw(10000));
    const int h = BoxHeight();
    // The start on sample 0: its arms lie left of the box.
    EXPECT_EQ(RowsOf(0, TWavePicture::SampleMarkerColour), Range(0, h - 2));
    EXPECT_TRUE(RowsOf(1, TWavePicture::SampleMarkerColour).empty());

    // Sample 5000 is point 250, column 250 * 512 div 511.
    SetMarker(wpSampleEnd, 5000);
    const int x = 250;
    EXPECT_EQ(RowsOf(x, TWavePicture::SampleMarkerColour), Range(0, h - 2));
    for (int arm : {x + 1, x + 2}) {
        EXPECT_EQ(RowsOf(arm, TWavePicture::SampleMarkerColour), (std::vector<int>{0, h - 2}));
    }
    EXPECT_TRUE(RowsOf(x + 3, TWavePicture::SampleMarkerColour).empty());
    EXPECT_TRUE(RowsOf(x - 1, TWavePicture::SampleMarkerColour).empty());
}

// The window's end counts as inside it; on a window of whole pages such a
// marker would fall one column past the box and is kept on the last column.
// One sample further it is not drawn.
TEST_F(WaveViewPictureTest, MarkerOnTheWindowsEndShowsAtTheRightEdge) {
    Open(Saw(10000));
    ShowWindow(1000, 1512);
    const int h = BoxHeight();
    SetMarker(wpSampleEnd, Eps->ViewEnd);
    EXPECT_EQ(RowsOf(BoxWidth - 1, TWavePicture::SampleMarkerColour), Range(0, h - 2));
    SetMarker(wpSampleEnd, Eps->ViewEnd + 1);
    EXPECT_TRUE(RowsOf(BoxWidth - 1, TWavePicture::SampleMarkerColour).empty());
}

TEST_F(WaveViewPictureTest, LoopMarkersAreTealOnlyInALoopMode) {
    Open(Saw(10000));
    Eps->SetSampleAddress(wpLoopStart, 2000);
    Eps->SetSampleAddress(wpLoopEnd, 8000);
    const int h = BoxHeight();
    SetMode(512);
    // Points 100 and 400: columns 100 and 400 * 512 div 511.
    EXPECT_EQ(RowsOf(100, TWavePicture::LoopMarkerColour), Range(1, h - 3));
    for (int arm : {98, 99}) {
        EXPECT_EQ(RowsOf(arm, TWavePicture::LoopMarkerColour), (std::vector<int>{1, h - 3}));
    }
    EXPECT_TRUE(RowsOf(97, TWavePicture::LoopMarkerColour).empty());
    EXPECT_EQ(RowsOf(400, TWavePicture::LoopMarkerColour), Range(1, h - 3));
    for (int arm : {401, 402}) {
        EXPECT_EQ(RowsOf(arm, TWavePicture::LoopMarkerColour), (std::vector<int>{1, h - 3}));
    }
    EXPECT_TRUE(RowsOf(403, TWavePicture::LoopMarkerColour).empty());

    for (std::int32_t mode : {0, 256}) {
        SetMode(mode);
        EXPECT_TRUE(RowsOf(100, TWavePicture::LoopMarkerColour).empty()) << mode;
        EXPECT_TRUE(RowsOf(400, TWavePicture::LoopMarkerColour).empty()) << mode;
    }
}

// One sample per point: a green line from column to column over a grey
// centre row; at 1:1 loud samples are cut off at both edges.
TEST_F(WaveViewPictureTest, ExactViewIsALineClippedAtBothEdges) {
    std::vector<std::int16_t> data = Constant(200, Half);
    data.resize(400, -Half);
    Open(data);
    ASSERT_EQ(Eps->SamplesPerPoint, 1);
    const int a = CentreRow();
    const int reach = static_cast<int>(std::trunc(Half / (32768.0 / a)));
    EXPECT_EQ(RowsOf(100, TWavePicture::WaveColour), Range(a - reach, a - reach));
    EXPECT_EQ(RowsOf(300, TWavePicture::WaveColour), Range(a + reach, a + reach));
    // The step between the halves is one line down.
    EXPECT_EQ(RowsOf(199, TWavePicture::WaveColour).size() +
                  RowsOf(200, TWavePicture::WaveColour).size(),
              static_cast<std::size_t>(2 * reach + 1));
    EXPECT_TRUE(Is(100, a, TWavePicture::CentreLineColour));
    EXPECT_TRUE(Is(300, a, TWavePicture::CentreLineColour));
    // Past the data the line runs on the centre row.
    EXPECT_EQ(RowsOf(450, TWavePicture::WaveColour), Range(a, a));

    State.VScale = 0;
    View->UpdateView();
    EXPECT_EQ(RowsOf(100, TWavePicture::WaveColour), Range(0, 0));
    EXPECT_EQ(RowsOf(300, TWavePicture::WaveColour), Range(2 * a, 2 * a));
    EXPECT_EQ(At(300, 2 * a + 1), TWavePicture::OpenBackground);
}

TEST_F(WaveViewPictureTest, OverviewIsClippedAtTheTop) {
    Open(Constant(10000, Half));
    ASSERT_GT(Eps->SamplesPerPoint, 1);
    const int a = CentreRow();
    const int reach = static_cast<int>(std::trunc(Half / (32768.0 / a)));
    EXPECT_EQ(RowsOf(200, TWavePicture::WaveColour), Range(a - reach, a + reach));
    State.VScale = 0;
    View->UpdateView();
    EXPECT_EQ(RowsOf(200, TWavePicture::WaveColour), Range(0, 2 * a));
}

// At 4 samples per point the selection 0..1023 is 256 points; its last
// sample passed as the end gives 2 per point and the window 0..1024.
TEST_F(WaveViewTest, ZoomInFitsTheSelectionToWholePages) {
    Open(Saw(2048));
    ASSERT_EQ(Eps->SamplesPerPoint, 4);
    Drag(0, 255);
    ASSERT_EQ(State.SelStart, 0);
    ASSERT_EQ(State.SelEnd, 1023);
    const int updates = ViewOwner.CommandUpdates;
    View->ZoomIn();
    EXPECT_EQ(Eps->SamplesPerPoint, 2);
    EXPECT_EQ(Eps->ViewStart, 0);
    EXPECT_EQ(Eps->ViewEnd, 1024);
    EXPECT_TRUE(Eps->Zoomed);
    // The selection stays, to be edited or zoomed into further.
    EXPECT_TRUE(State.HasSelection);
    EXPECT_EQ(State.SelStart, 0);
    EXPECT_EQ(State.SelEnd, 1023);
    EXPECT_GT(ViewOwner.CommandUpdates, updates);
    EXPECT_TRUE(ScrollBar->isVisibleTo(ScrollBox.get()));
    EXPECT_EQ(ScrollBar->value(), 0);
}

TEST_F(WaveViewTest, ZoomInOnOnePointGivesTheExactView) {
    Open(Saw(100000));
    ShowWindow(4000, 5024);
    ASSERT_EQ(Eps->SamplesPerPoint, 2);
    SelectPoint(500);
    ASSERT_EQ(State.SelStart, 5000);
    ASSERT_EQ(State.SelEnd, 5001);
    View->ZoomIn();
    EXPECT_EQ(Eps->SamplesPerPoint, 1);
    EXPECT_EQ(Eps->ViewStart, 5000);
    EXPECT_EQ(Eps->ViewEnd, 5512);
    // 5000 / (100000 - 512) of the way.
    EXPECT_EQ(ScrollBar->value(), 50);
}

TEST_F(WaveViewTest, ZoomOutDoublesAboutTheCentreInsideTheWavesample) {
    Open(Saw(100000));
    ShowWindow(1000, 1512);
    SelectPoint(100);
    View->ZoomOut();
    EXPECT_EQ(Eps->ViewStart, 744);
    EXPECT_EQ(Eps->ViewEnd, 1768);
    EXPECT_EQ(Eps->SamplesPerPoint, 2);
    EXPECT_TRUE(State.HasSelection);
    EXPECT_EQ(State.SelStart, 1100);

    // Near the end the doubled window is pushed back to end with the data.
    ShowWindow(99400, 99912);
    View->ZoomOut();
    EXPECT_EQ(Eps->ViewEnd, 100000);
    EXPECT_EQ(Eps->ViewStart, 100000 - 1024);
    EXPECT_EQ(Eps->SamplesPerPoint, 2);
}

// The whole view was read when the wavesample opened and nothing changed it
// since: Show All reads nothing.
TEST_F(WaveViewTest, ShowAllReturnsToTheCachedWholeView) {
    Open(Saw(100000));
    const TEps::TViewPoints whole = Eps->ViewPoints;
    ShowWindow(1000, 1512);
    SelectPoint(7);
    NewMessages();
    View->ShowAll();
    EXPECT_TRUE(NewMessages().empty());
    EXPECT_EQ(Eps->ViewStart, 0);
    EXPECT_EQ(Eps->ViewEnd, 100000);
    EXPECT_FALSE(Eps->Zoomed);
    EXPECT_EQ(Eps->ViewPoints, whole);
    EXPECT_FALSE(ScrollBar->isVisibleTo(ScrollBox.get()));
    EXPECT_TRUE(State.HasSelection);
}

TEST_F(WaveViewTest, ShortWavesampleCountsAsZoomed) {
    Open(Saw(400));
    EXPECT_EQ(Eps->ViewStart, 0);
    EXPECT_EQ(Eps->ViewEnd, 512);
    EXPECT_TRUE(Eps->Zoomed);
    EXPECT_TRUE(ScrollBar->isVisibleTo(ScrollBox.get()));
    EXPECT_EQ(ScrollBar->value(), 0);
}

// A line moves the window by half its width, a page by all of it; the thumb
// then shows where the window is. The selection goes with every step.
TEST_F(WaveViewTest, ScrollBarStepsMoveTheWindowAndTheThumb) {
    Open(Saw(100000));
    ShowWindow(1000, 1512);
    const auto step = [&](QAbstractSlider::SliderAction action, std::int32_t start) {
        SelectPoint(3);
        ScrollBar->triggerAction(action);
        EXPECT_EQ(Eps->ViewStart, start) << action;
        EXPECT_EQ(Eps->ViewEnd, start + 512) << action;
        EXPECT_EQ(ScrollBar->value(), start * 1000 / (100000 - 512)) << action;
        EXPECT_FALSE(State.HasSelection) << action;
    };
    step(QAbstractSlider::SliderSingleStepAdd, 1256);
    step(QAbstractSlider::SliderSingleStepSub, 1000);
    step(QAbstractSlider::SliderPageStepAdd, 1512);
    step(QAbstractSlider::SliderPageStepSub, 1000);

    // Neither the ends of the bar nor dragging the thumb move the window.
    SelectPoint(3);
    for (auto action : {QAbstractSlider::SliderToMaximum, QAbstractSlider::SliderToMinimum}) {
        ScrollBar->triggerAction(action);
        EXPECT_EQ(Eps->ViewStart, 1000);
        EXPECT_EQ(ScrollBar->value(), 10);
    }
    ScrollBar->setSliderDown(true);
    ScrollBar->setSliderPosition(500);
    EXPECT_EQ(Eps->ViewStart, 1000);
    EXPECT_TRUE(State.HasSelection);

    // Releasing the thumb moves the window to its share of the room.
    ScrollBar->setSliderDown(false);
    EXPECT_EQ(Eps->ViewStart, 49744);
    EXPECT_EQ(Eps->ViewEnd, 50256);
    EXPECT_EQ(ScrollBar->value(), 500);
    EXPECT_FALSE(State.HasSelection);
}

// A wheel turned over the bar moves the window an eighth of its width a
// notch, as over the box, and the thumb shows where the window is.
TEST_F(WaveViewTest, WheelOverTheScrollBarLeavesTheThumbOnTheWindow) {
    Open(Saw(100000));
    ShowWindow(1000, 1512);
    ASSERT_EQ(ScrollBar->value(), 10);
    for (const auto& [delta, start] :
         {std::pair(-120, 1064), std::pair(120, 1000), std::pair(240, 872)}) {
        QWheelEvent wheel(QPointF(5, 5), ScrollBar->mapToGlobal(QPointF(5, 5)), {},
                          QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(ScrollBar, &wheel);
        EXPECT_EQ(Eps->ViewStart, start) << delta;
        const int thumb = start * 1000 / (100000 - 512);
        EXPECT_EQ(ScrollBar->value(), thumb) << delta;
        EXPECT_EQ(ScrollBar->sliderPosition(), thumb) << delta;
    }
}

TEST_F(WaveViewTest, ThumbHalfwayInAMillionSamples) {
    TSamplerOptions options;
    options.Kind = TSamplerKind::Asr;
    options.DemoBank = false;
    options.Timing.EditPerSample = {};
    RestartWithView(options);
    Open(Saw(1000000));
    ShowWindow(0, 8192);
    ASSERT_EQ(Eps->SamplesPerPoint, 16);
    EXPECT_EQ(View->ScrollBarScroll(scPosition, 500), 500);
    EXPECT_EQ(Eps->ViewStart, 495904);
    EXPECT_EQ(Eps->ViewEnd, 495904 + 8192);
}
