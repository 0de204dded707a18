// The wave view against the virtual sampler: the window after opening,
// zooming, showing all and scrolling, with the scroll bar following it, and
// the picture drawn from the display points and the markers.
#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QFontMetrics>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

#include "tests/wave/WaveViewFixture.h"
#include "transfer/WaveFile.h"
#include "wave/WaveColours.h"
#include "wave/WavePicture.h"
#include "wave/WaveRuler.h"

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
    EXPECT_EQ(ScrollBox->palette().color(QPalette::Window), TWaveColours::Classic.ClosedBackground);
    EXPECT_EQ(At(0, 0), TWaveColours::Classic.ClosedBackground);
    EXPECT_EQ(At(BoxWidth - 1, BoxHeight() - 1), TWaveColours::Classic.ClosedBackground);
    EXPECT_FALSE(ScrollBar->isVisibleTo(ScrollBox.get()));
    EXPECT_TRUE(ScrollBox->Ruler->Marks().empty());
    EXPECT_TRUE(ScrollBox->AmplitudeScale->Marks().empty());
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
    EXPECT_EQ(ScrollBox->palette().color(QPalette::Window), TWaveColours::Classic.Background);

    const int a = CentreRow();
    const double valuePerRow = 32768.0 / a;
    for (int column : {3, 100, 250, 496}) {
        const int reach = static_cast<int>(Eps->ViewPoints[column] / valuePerRow);
        EXPECT_EQ(RowsOf(column, TWaveColours::Classic.Wave), Range(a - reach, a + reach))
            << column;
    }
    // Past the wavesample's end the sampler reads silence: a bar of one row,
    // dimmed, as it lies after the end marker.
    EXPECT_EQ(RowsOf(505, TWaveColours::Classic.DimWave), Range(a, a));
}

// A marker is a stem two columns wide, widening into the range the markers
// enclose, with a triangular handle at either end pointing outward; k
// columns beside the stem a handle is HandleSize + 1 - k rows high. A handle
// with no room outside the box turns inward. A loop marker's handles lie
// just inside those of the wavesample's markers.
class WaveViewMarkerTest : public WaveViewPictureTest {
protected:
    struct TExpectedMarker {
        int First;       // the marker's first parameter word
        std::int32_t At; // its sample
        int Column;      // where its stem stands
        int Side;        // -1 when its handles point left, 1 right
    };

    void Expect(const TExpectedMarker& marker, const QColor& colour, int handleRow) {
        const int h = BoxHeight();
        const int size = TWavePicture::HandleSize;
        const int x = marker.Column;
        for (int stem : {x, x - marker.Side}) {
            if (stem >= 0 && stem < BoxWidth) {
                EXPECT_EQ(RowsOf(stem, colour), Range(0, h - 1)) << marker.At << " " << stem;
            }
        }
        const bool room = x + marker.Side * size >= 0 && x + marker.Side * size < BoxWidth;
        const int side = room ? marker.Side : -marker.Side;
        const int first = room ? x + marker.Side : x - 2 * marker.Side;
        for (int k = 1; k <= size; ++k) {
            std::vector<int> rows = Range(handleRow, handleRow + size - k);
            const std::vector<int> bottom =
                Range(h - 1 - handleRow - (size - k), h - 1 - handleRow);
            rows.insert(rows.end(), bottom.begin(), bottom.end());
            EXPECT_EQ(RowsOf(first + side * (k - 1), colour), rows) << marker.At << " " << k;
        }
        EXPECT_TRUE(RowsOf(first + side * size, colour).empty()) << marker.At;
        EXPECT_TRUE(RowsOf(x - marker.Side * (room ? 2 : -8), colour).empty()) << marker.At;
    }
};

TEST_F(WaveViewMarkerTest, MarkersAreStemsWithHandlesPointingOutward) {
    Open(Saw(10000));
    SetMode(512);
    // At 20 samples per point a marker on sample s stands on column
    // (s div 20) * 512 div 511.
    const std::vector<TExpectedMarker> markers = {
        {wpSampleStart, 0, 0, -1},    // no room on the left: its handles turn inward
        {wpSampleEnd, 5000, 250, 1},  // point 250
        {wpLoopStart, 2000, 100, -1}, // point 100
        {wpLoopEnd, 8000, 400, 1},    // point 400
    };
    for (const TExpectedMarker& marker : markers) {
        Eps->SetSampleAddress(marker.First, marker.At);
    }
    View->UpdateView();
    for (const TExpectedMarker& marker : markers) {
        const bool loop = marker.First == wpLoopStart || marker.First == wpLoopEnd;
        Expect(marker, loop ? TWaveColours::Classic.LoopMarker : TWaveColours::Classic.SampleMarker,
               loop ? TWavePicture::LoopHandleRow : 0);
    }

    for (std::int32_t mode : {0, 256}) {
        SetMode(mode);
        EXPECT_TRUE(RowsOf(100, TWaveColours::Classic.LoopMarker).empty()) << mode;
        EXPECT_TRUE(RowsOf(400, TWaveColours::Classic.LoopMarker).empty()) << mode;
    }
}

// The window's end counts as inside it; on a window of whole pages such a
// marker would fall one column past the box and is kept on the last column,
// its handles turned inward. One sample further it is not drawn.
TEST_F(WaveViewMarkerTest, MarkerOnTheWindowsEndShowsAtTheRightEdge) {
    Open(Saw(10000));
    ShowWindow(1000, 1512);
    SetMarker(wpSampleEnd, Eps->ViewEnd);
    Expect({wpSampleEnd, Eps->ViewEnd, BoxWidth - 1, 1}, TWaveColours::Classic.SampleMarker, 0);
    SetMarker(wpSampleEnd, Eps->ViewEnd + 1);
    EXPECT_TRUE(RowsOf(BoxWidth - 1, TWaveColours::Classic.SampleMarker).empty());
}

// Nothing plays before the start marker nor after the end marker, the last
// sample that plays: the wave is dimmed there on the same black ground. At
// one sample per point the boundaries fall on whole columns.
TEST_F(WaveViewPictureTest, OutsideTheMarkersTheWaveIsDimmed) {
    Open(Saw(2000));
    ShowWindow(1000, 1512);
    ASSERT_EQ(Eps->SamplesPerPoint, 1);
    // Columns clear of the markers' handles.
    const int clear = TWavePicture::HandleSize + 3;
    SetMarker(wpSampleStart, 1100);
    SetMarker(wpSampleEnd, 1399);
    const struct {
        int Column;
        bool Dimmed;
    } columns[] = {{0, true},    {100 - clear, true},  {100 + clear, false},
                   {250, false}, {399 - clear, false}, {399 + clear, true},
                   {510, true}};
    for (const auto& column : columns) {
        const QColor& shown =
            column.Dimmed ? TWaveColours::Classic.DimWave : TWaveColours::Classic.Wave;
        const QColor& hidden =
            column.Dimmed ? TWaveColours::Classic.Wave : TWaveColours::Classic.DimWave;
        EXPECT_FALSE(RowsOf(column.Column, shown).empty()) << column.Column;
        EXPECT_TRUE(RowsOf(column.Column, hidden).empty()) << column.Column;
        EXPECT_EQ(At(column.Column, CentreRow() + 1), TWaveColours::Classic.Background)
            << column.Column;
    }
    // The samples just before the start and just after the end are dimmed
    // already.
    for (int column : {99, 400}) {
        EXPECT_FALSE(RowsOf(column, TWaveColours::Classic.DimWave).empty()) << column;
        EXPECT_TRUE(RowsOf(column, TWaveColours::Classic.Wave).empty()) << column;
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
    EXPECT_EQ(RowsOf(100, TWaveColours::Classic.Wave), Range(a - reach, a - reach));
    EXPECT_EQ(RowsOf(300, TWaveColours::Classic.Wave), Range(a + reach, a + reach));
    // The step between the halves is one line down.
    EXPECT_EQ(RowsOf(199, TWaveColours::Classic.Wave).size() +
                  RowsOf(200, TWaveColours::Classic.Wave).size(),
              static_cast<std::size_t>(2 * reach + 1));
    EXPECT_TRUE(Is(100, a, TWaveColours::Classic.CentreLine));
    EXPECT_TRUE(Is(300, a, TWaveColours::Classic.CentreLine));
    // Past the data the line runs on the centre row, dimmed after the end
    // marker.
    EXPECT_EQ(RowsOf(450, TWaveColours::Classic.DimWave), Range(a, a));

    State.VScale = 0;
    View->UpdateView();
    EXPECT_EQ(RowsOf(100, TWaveColours::Classic.Wave), Range(0, 0));
    EXPECT_EQ(RowsOf(300, TWaveColours::Classic.Wave), Range(2 * a, 2 * a));
    EXPECT_EQ(At(300, 2 * a + 1), TWaveColours::Classic.Background);
}

TEST_F(WaveViewPictureTest, OverviewIsClippedAtTheTop) {
    Open(Constant(10000, Half));
    ASSERT_GT(Eps->SamplesPerPoint, 1);
    const int a = CentreRow();
    const int reach = static_cast<int>(std::trunc(Half / (32768.0 / a)));
    EXPECT_EQ(RowsOf(200, TWaveColours::Classic.Wave), Range(a - reach, a + reach));
    State.VScale = 0;
    View->UpdateView();
    EXPECT_EQ(RowsOf(200, TWaveColours::Classic.Wave), Range(0, 2 * a));
}

// Each figure of the ruler stands on the column of the sample or the time it
// names, in steps of 1, 2 or 5 times a power of ten, without running into the
// next; they follow the window as it zooms and scrolls. The box is 512
// pixels wide, so a column is a display point.
TEST_F(WaveViewTest, RulerFiguresFollowTheWindow) {
    Open(Saw(100000));
    const double rate =
        PeriodToRate(static_cast<std::uint32_t>(Eps->WaveSampleParameters[wpSamplingPeriod]));
    ASSERT_GT(rate, 0);
    const struct {
        std::int32_t Start;
        std::int32_t End;
        TRulerUnit Unit;
        const char* FirstFigure;
    } windows[] = {{0, 100000, ruSamples, "0"},     {1000, 1512, ruSamples, "1000"},
                   {744, 1768, ruSamples, nullptr}, {99000, 100000, ruSamples, nullptr},
                   {0, 100000, ruTime, nullptr},    {1000, 1512, ruTime, nullptr},
                   {99000, 100000, ruTime, nullptr}};
    const QFontMetrics metrics = ScrollBox->Ruler->fontMetrics();
    for (const auto& window : windows) {
        SCOPED_TRACE(testing::Message() << window.Start << " " << window.Unit);
        ShowWindow(window.Start, window.End);
        State.RulerUnit = window.Unit;
        View->UpdateView();
        std::vector<TRulerMark> figures;
        for (const TRulerMark& mark : ScrollBox->Ruler->Marks()) {
            if (!mark.Text.isEmpty()) {
                figures.push_back(mark);
            }
        }
        ASSERT_GE(figures.size(), 3u);
        if (window.FirstFigure != nullptr) {
            EXPECT_EQ(figures.front().Text, window.FirstFigure);
            EXPECT_EQ(figures.front().Position, 0);
        }
        std::vector<double> values;
        for (const TRulerMark& figure : figures) {
            QString text = figure.Text;
            EXPECT_EQ(text.endsWith(" s"), window.Unit == ruTime) << text.toStdString();
            text.chop(window.Unit == ruTime ? 2 : 0);
            values.push_back(text.toDouble());
            const double sample = window.Unit == ruTime ? values.back() * rate : values.back();
            const double column = (sample - Eps->ViewStart) / Eps->SamplesPerPoint;
            EXPECT_NEAR(figure.Position, column, 1) << text.toStdString();
            EXPECT_GE(figure.Position, 0);
            EXPECT_LT(figure.Position, BoxWidth);
        }
        const double step = values[1] - values[0];
        const double power = std::pow(10.0, std::floor(std::log10(step) + 1e-9));
        const double mantissa = step / power;
        EXPECT_TRUE(std::abs(mantissa - 1) < 1e-6 || std::abs(mantissa - 2) < 1e-6 ||
                    std::abs(mantissa - 5) < 1e-6)
            << step;
        for (std::size_t i = 1; i < figures.size(); ++i) {
            EXPECT_NEAR(values[i] - values[i - 1], step, step * 1e-6);
            EXPECT_GT(figures[i].Position - figures[i - 1].Position,
                      metrics.horizontalAdvance(figures[i - 1].Text));
        }
    }
}

// The scale beside the box marks full scale at the top and bottom edges,
// zero on the centre row and half scale between, in per cent of the largest
// sample, as far as the vertical scale lets the wave reach.
TEST_F(WaveViewTest, AmplitudeScaleFollowsTheVerticalScale) {
    Open(Saw(10000));
    const int a = (Box->height() - 2) / 2;
    const std::vector<int> rows = {0, a - (a + 1) / 2, a, a + (a + 1) / 2, 2 * a};
    const struct {
        int VScale;
        const char* Full;
        const char* Half;
    } scales[] = {
        {8, "100%", "50%"}, {7, "50%", "25%"}, {4, "6.25%", "3.13%"}, {0, "0.391%", "0.195%"}};
    const QString minus = QString::fromUtf8("\u2212");
    for (const auto& scale : scales) {
        State.VScale = scale.VScale;
        View->UpdateView();
        const std::vector<TRulerMark> marks = ScrollBox->AmplitudeScale->Marks();
        ASSERT_EQ(marks.size(), rows.size()) << scale.VScale;
        const std::vector<QString> texts = {QString("+") + scale.Full, QString("+") + scale.Half,
                                            "0", minus + scale.Half, minus + scale.Full};
        for (std::size_t i = 0; i < marks.size(); ++i) {
            EXPECT_EQ(marks[i].Position, rows[i]) << scale.VScale;
            EXPECT_EQ(marks[i].Text, texts[i]) << scale.VScale;
        }
    }
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
