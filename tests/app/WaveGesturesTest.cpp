// The wheel, the keys and the markers taken by hand in the main window's wave
// area, on the built-in virtual sampler and its demo piano: what the view
// window, the selection and the sampler's parameter block become, and how
// many requests reach the sampler for it.
#include <QAction>
#include <QColor>
#include <QImage>
#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

#include <algorithm>
#include <atomic>
#include <utility>

#include "AppFixture.h"
#include "app/Application.h"
#include "emulator/VirtualEpsPeer.h"
#include "wave/MarkerDrag.h"
#include "wave/PointMapping.h"
#include "wave/WaveBox.h"
#include "wave/WavePicture.h"
#include "wave/WaveView.h"

namespace {

constexpr int Piano = 0;

bool StartsWith(const std::string& line, const char* prefix) {
    return line.rfind(prefix, 0) == 0;
}

enum TCommand { cmSelectAll, cmUndo, cmRedo, cmSampleStart, cmFadeIn, cmNormalize };

// The text stands out from the ground it is written on.
bool Readable(QLabel& label) {
    const QImage image = label.grab().toImage();
    int darkest = 255;
    int lightest = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int lightness = QColor(image.pixel(x, y)).lightness();
            darkest = std::min(darkest, lightness);
            lightest = std::max(lightest, lightness);
        }
    }
    return lightest - darkest > 128;
}

} // namespace

class TWaveGesturesTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        Fixture = std::make_unique<TAppFixture>();
        Form = Fixture->StartOnPiano();
        QVERIFY(Form != nullptr);
        ViewReads = 0;
        ParameterWrites = 0;
        Fixture->Sampler->Sampler().SetLog([this](const std::string& line) {
            ++Requests;
            if (StartsWith(line, "GetWaveSampleOverview") ||
                StartsWith(line, "GetWaveSampleData")) {
                ++ViewReads;
            } else if (StartsWith(line, "SendWaveSampleParametersHeader")) {
                ++ParameterWrites;
            }
        });
        Width = Form->WaveBox->width();
        Height = Form->WaveBox->height();
    }
    void cleanup() {
        Fixture->Sampler->Sampler().SetLog({});
        Fixture->Stop();
        Fixture.reset();
    }

    // Each notch halves the window about the sample under the mouse with one
    // read; a trackpad's small steps add up to a notch first; the plain
    // wheel, upright or sideways, moves a zoomed window an eighth of its
    // width; what cannot zoom or scroll further reads nothing.
    void WheelZoomsAboutTheMouseAndScrolls() {
        const int x = Width / 3;
        const auto underMouse = [&] {
            return Form->Eps->ViewStart +
                   PointIndex(x, Width) * std::int32_t{Form->Eps->SamplesPerPoint};
        };
        const std::int32_t wholePerPoint = Form->Eps->SamplesPerPoint;
        const std::int32_t aimed = underMouse();

        Wheel(x, {0, 120}, Qt::ControlModifier);
        QCOMPARE(Form->Eps->SamplesPerPoint, wholePerPoint / 2);
        QVERIFY(std::abs(underMouse() - aimed) <= Form->Eps->SamplesPerPoint);
        QVERIFY(Form->Eps->Zoomed);
        QCOMPARE(ViewReads.load(), 1);

        for (int step = 0; step < 12; ++step) {
            Wheel(x, {0, 10}, Qt::ControlModifier);
        }
        QCOMPARE(Form->Eps->SamplesPerPoint, wholePerPoint / 4);
        QVERIFY(std::abs(underMouse() - aimed) <= Form->Eps->SamplesPerPoint);
        QCOMPARE(ViewReads.load(), 2);

        const std::int32_t start = Form->Eps->ViewStart;
        const std::int32_t eighth = ViewPointCount * Form->Eps->SamplesPerPoint / 8;
        Wheel(x, {0, -120});
        QCOMPARE(Form->Eps->ViewStart, start + eighth);
        Wheel(x, {120, 0});
        QCOMPARE(Form->Eps->ViewStart, start);
        QCOMPARE(ViewReads.load(), 4);

        // Far out, the whole wavesample from the cache; then nothing moves.
        Wheel(x, {0, -1200}, Qt::ControlModifier);
        QVERIFY(!Form->Eps->Zoomed);
        Wheel(x, {0, -120}, Qt::ControlModifier);
        Wheel(x, {0, -120});
        QCOMPARE(ViewReads.load(), 4);

        Form->CloseWavesampleMenuItem->trigger();
        Wheel(x, {0, 120}, Qt::ControlModifier);
        QCOMPARE(ViewReads.load(), 4);
    }

    void SelectAllClearExtendAndTheEnds() {
        const std::int32_t last = Form->Eps->LastSample;
        QTest::keyClick(Form, Qt::Key_A, Qt::ControlModifier);
        QVERIFY(Form->HasSelection);
        QCOMPARE(Form->SelStart, 0);
        QCOMPARE(Form->SelEnd, last);
        QVERIFY(Form->FadeInMenuItem->isEnabled());

        QTest::keyClick(Form, Qt::Key_Escape);
        QVERIFY(!Form->HasSelection);
        QVERIFY(!Form->FadeInMenuItem->isEnabled());
        QVERIFY(!Form->ClearDataMenuItem->isEnabled());

        // A drag selects, a click clears, a click with Shift extends.
        const int row = Height / 2;
        const int perPoint = Form->Eps->SamplesPerPoint;
        QTest::mousePress(Form->WaveBox, Qt::LeftButton, {}, {Width / 4, row});
        QTest::mouseMove(Form->WaveBox, {Width / 3, row});
        QTest::mouseRelease(Form->WaveBox, Qt::LeftButton, {}, {Width / 3, row});
        const std::int32_t first = PointIndex(Width / 4, Width) * perPoint;
        QCOMPARE(Form->SelStart, first);
        QTest::mouseClick(Form->WaveBox, Qt::LeftButton, {}, {Width / 2, row});
        QVERIFY(!Form->HasSelection);
        QVERIFY(!Form->FadeInMenuItem->isEnabled());
        TAppFixture::Select(*Form, first, first + 99);
        QTest::mouseClick(Form->WaveBox, Qt::LeftButton, Qt::ShiftModifier, {3 * Width / 4, row});
        QCOMPARE(Form->SelStart, first);
        QCOMPARE(Form->SelEnd, (PointIndex(3 * Width / 4, Width) + 1) * perPoint - 1);

        // Zoomed into the middle, the ends keep the zoom and the selection.
        TAppFixture::Select(*Form, 10000, 10999);
        Form->ZoomInMenuItem->trigger();
        const std::int32_t span = Form->Eps->ViewEnd - Form->Eps->ViewStart;
        TAppFixture::Select(*Form, 10000, 10999);
        QTest::keyClick(Form, Qt::Key_End);
        QCOMPARE(Form->Eps->ViewEnd, last + 1);
        QCOMPARE(Form->Eps->ViewEnd - Form->Eps->ViewStart, span);
        QCOMPARE(Form->SelStart, 10000);
        QTest::keyClick(Form, Qt::Key_Home, Qt::ShiftModifier);
        QCOMPARE(Form->Eps->ViewStart, 0);
        QCOMPARE(Form->SelStart, 0);
        QCOMPARE(Form->SelEnd, 10999);
        QTest::keyClick(Form, Qt::Key_End, Qt::ShiftModifier);
        QCOMPARE(Form->SelStart, 0);
        QCOMPARE(Form->SelEnd, last);
    }

    // The end marker taken by its arm at the top and dropped in the middle;
    // the start marker dragged past it stops a sample before it, as Set
    // Sample Start would; Escape puts a dragged marker back. None of it
    // touches the selection, and each drop writes the block once.
    void MarkersDragUnderTheCommandsRules() {
        const std::int32_t end = SamplerAddress(TWaveSample::EndWord);
        TAppFixture::Select(*Form, 1000, 1999);
        const int middle = Width / 2;
        const std::int32_t dropped = PointIndex(middle, Width) * Form->Eps->SamplesPerPoint;
        const int endColumn = MarkerColumn(end, *Form->Eps, Width);

        QTest::mouseMove(Form->WaveBox, {endColumn - 1, 2});
        QCOMPARE(Form->WaveBox->cursor().shape(), Qt::SizeHorCursor);
        QTest::mousePress(Form->WaveBox, Qt::LeftButton, {}, {endColumn - 1, 2});
        QTest::mouseMove(Form->WaveBox, {middle, 2});
        QLabel* label = Form->WaveView->Markers.Label;
        QVERIFY(label->isVisible());
        QVERIFY(Readable(*label));
        QCOMPARE(label->text(), QString("we:%1").arg(dropped));
        QCOMPARE(ParameterWrites.load(), 0);
        QTest::mouseRelease(Form->WaveBox, Qt::LeftButton, {}, {middle, 2});
        QVERIFY(!label->isVisible());
        QCOMPARE(SamplerAddress(TWaveSample::EndWord), dropped);
        QCOMPARE(ParameterWrites.load(), 1);

        QTest::mousePress(Form->WaveBox, Qt::LeftButton, {}, {0, Height - 2});
        QTest::mouseMove(Form->WaveBox, {Width - 1, Height - 2});
        QCOMPARE(label->text(), QString("ws:%1").arg(dropped - 1));
        QTest::mouseRelease(Form->WaveBox, Qt::LeftButton, {}, {Width - 1, Height - 2});
        QCOMPARE(SamplerAddress(TWaveSample::StartWord), dropped - 1);
        QCOMPARE(ParameterWrites.load(), 2);

        const int startColumn = MarkerColumn(dropped - 1, *Form->Eps, Width);
        QTest::mousePress(Form->WaveBox, Qt::LeftButton, {}, {startColumn, 1});
        QTest::mouseMove(Form->WaveBox, {10, 1});
        QTest::keyClick(Form, Qt::Key_Escape);
        QVERIFY(!label->isVisible());
        QCOMPARE(Form->Eps->GetSampleAddress(wpSampleStart), dropped - 1);
        QTest::mouseRelease(Form->WaveBox, Qt::LeftButton, {}, {10, 1});
        QCOMPARE(SamplerAddress(TWaveSample::StartWord), dropped - 1);
        QCOMPARE(ParameterWrites.load(), 2);

        QVERIFY(Form->HasSelection);
        QCOMPARE(Form->SelStart, 1000);
        QCOMPARE(Form->SelEnd, 1999);

        // Each drop is a step of the undo history: the start goes back
        // before the end does.
        QCOMPARE(Form->UndoMenuItem->text(), QString("&Undo Set Sample Start"));
        Form->UndoMenuItem->trigger();
        Form->UndoMenuItem->trigger();
        QCOMPARE(SamplerAddress(TWaveSample::StartWord), 0);
        QCOMPARE(SamplerAddress(TWaveSample::EndWord), end);
    }

    void CommandsWaitForADraggedMarker_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<bool>("escape");
        QTest::newRow("Ctrl+A, dropped") << int(cmSelectAll) << false;
        QTest::newRow("Alt+Backspace, put back") << int(cmUndo) << true;
        QTest::newRow("Shift+Alt+Backspace, dropped") << int(cmRedo) << false;
        QTest::newRow("Set Sample Start, put back") << int(cmSampleStart) << true;
        QTest::newRow("Fade In button, dropped") << int(cmFadeIn) << false;
        QTest::newRow("Normalize Gain, dropped") << int(cmNormalize) << false;
    }
    // A command used while the end marker is held waits for the drag: it
    // sends nothing and changes nothing, and once the marker is dropped or
    // put back with Escape the window and the sampler hold the same markers,
    // the selection is the one before and the history goes on from there.
    void CommandsWaitForADraggedMarker() {
        QFETCH(int, command);
        QFETCH(bool, escape);
        // Start at 500 with a step to undo and one to redo.
        TAppFixture::Select(*Form, 500, 599);
        Form->SetSampleStartMenuItem->trigger();
        TAppFixture::Select(*Form, 1000, 1999);
        Form->SetSampleStartMenuItem->trigger();
        Form->UndoMenuItem->trigger();
        QCOMPARE(SamplerAddress(TWaveSample::StartWord), 500);
        QVERIFY(Form->RedoMenuItem->isEnabled());

        const std::int32_t end = SamplerAddress(TWaveSample::EndWord);
        const int middle = Width / 2;
        const std::int32_t dropped = PointIndex(middle, Width) * Form->Eps->SamplesPerPoint;
        const int endColumn = MarkerColumn(end, *Form->Eps, Width);
        QTest::mousePress(Form->WaveBox, Qt::LeftButton, {}, {endColumn - 1, 2});
        QTest::mouseMove(Form->WaveBox, {middle, 2});
        const int requestsBefore = Requests.load();
        Use(command);
        QTest::mouseMove(Form->WaveBox, {middle + 1, 2});
        QTest::mouseMove(Form->WaveBox, {middle, 2});
        const int requestsDuring = Requests.load() - requestsBefore;
        // The wavesample is still open under the drag: no line to start over it.
        QVERIFY(Form->StartLabel->isHidden());
        if (escape) {
            QTest::keyClick(Form, Qt::Key_Escape);
        }
        QTest::mouseRelease(Form->WaveBox, Qt::LeftButton, {}, {middle, 2});

        const std::pair<int, std::size_t> markers[] = {{wpSampleStart, TWaveSample::StartWord},
                                                       {wpSampleEnd, TWaveSample::EndWord},
                                                       {wpLoopStart, TWaveSample::LoopStartWord},
                                                       {wpLoopEnd, TWaveSample::LoopEndWord}};
        for (const auto& [first, word] : markers) {
            QCOMPARE(Form->Eps->GetSampleAddress(first), SamplerAddress(word));
        }
        QCOMPARE(requestsDuring, 0);
        QVERIFY(Form->HasSelection);
        QCOMPARE(Form->SelStart, 1000);
        QCOMPARE(Form->SelEnd, 1999);
        QCOMPARE(SamplerAddress(TWaveSample::StartWord), 500);
        QCOMPARE(SamplerAddress(TWaveSample::EndWord), escape ? end : dropped);
        QCOMPARE(Form->UndoMenuItem->text(),
                 escape ? QString("&Undo Set Sample Start") : QString("&Undo Set Sample End"));
        QVERIFY(Form->UndoMenuItem->isEnabled());
        QCOMPARE(Form->RedoMenuItem->isEnabled(), escape);
    }

    // Where a loop marker shares its place with the start or the end
    // marker, each is taken by its own handles: the loop marker's lie just
    // inside the other's, at the top and the bottom alike.
    void WhereMarkersMeetEachIsTakenByItsHandles() {
        TEps& eps = *Form->Eps;
        eps.WaveSampleParameters[wpPlaybackMode] = 512;
        eps.SetSampleAddress(wpLoopStart, eps.GetSampleAddress(wpSampleStart));
        eps.SetSampleAddress(wpLoopEnd, eps.GetSampleAddress(wpSampleEnd));
        Form->UpdateView();
        const int size = TWavePicture::HandleSize;
        const struct {
            int First;
            int Row;
            int Taken;
        } presses[] = {
            {wpSampleStart, 1, wpSampleStart},
            {wpSampleStart, size + 1, wpLoopStart},
            {wpSampleEnd, Height - 2, wpSampleEnd},
            {wpSampleEnd, Height - size - 2, wpLoopEnd},
        };
        for (const auto& press : presses) {
            const int column = MarkerColumn(eps.GetSampleAddress(press.First), eps, Width);
            QTest::mousePress(Form->WaveBox, Qt::LeftButton, {}, {column, press.Row});
            QCOMPARE(Form->WaveView->Markers.Held(), std::optional<int>(press.Taken));
            QTest::keyClick(Form, Qt::Key_Escape);
            QTest::mouseRelease(Form->WaveBox, Qt::LeftButton, {}, {column, press.Row});
        }
        QCOMPARE(ParameterWrites.load(), 0);
    }

    // The window closed in the middle of a drag: the wavesample is closed
    // with its markers where they were, not where the mouse had them.
    void ClosingDuringADragKeepsTheMarker() {
        const std::int32_t end = SamplerAddress(TWaveSample::EndWord);
        const int endColumn = MarkerColumn(end, *Form->Eps, Width);
        QTest::mousePress(Form->WaveBox, Qt::LeftButton, {}, {endColumn - 1, 2});
        QTest::mouseMove(Form->WaveBox, {Width / 2, 2});
        Form->close();
        QCOMPARE(SamplerAddress(TWaveSample::EndWord), end);
    }

private:
    // A command as the user reaches it: by its key, its menu item or its
    // speed button.
    void Use(int command) {
        switch (command) {
        case cmSelectAll:
            QTest::keyClick(Form, Qt::Key_A, Qt::ControlModifier);
            break;
        case cmUndo:
            QTest::keyClick(Form, Qt::Key_Backspace, Qt::AltModifier);
            break;
        case cmRedo:
            QTest::keyClick(Form, Qt::Key_Backspace, Qt::ShiftModifier | Qt::AltModifier);
            break;
        case cmSampleStart:
            Form->SetSampleStartMenuItem->trigger();
            break;
        case cmFadeIn:
            Form->FadeInButton->click();
            break;
        default:
            Form->NormalizeGainMenuItem->trigger();
            break;
        }
    }

    void Wheel(int x, QPoint delta, Qt::KeyboardModifiers modifiers = {}) {
        const QPointF at(x, Height / 2);
        QWheelEvent wheel(at, Form->WaveBox->mapToGlobal(at), {}, delta, Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(Form->WaveBox, &wheel);
    }

    std::int32_t SamplerAddress(std::size_t word) {
        std::int32_t address = -1;
        Fixture->Sampler->Sampler().Inspect([&](TSamplerModel& memory) {
            address =
                static_cast<std::int32_t>(memory.Instrument(Piano)->WaveSample(1)->Address(word));
        });
        return address;
    }

    std::unique_ptr<TAppFixture> Fixture;
    TMainForm* Form = nullptr;
    std::atomic<int> ViewReads = 0;
    std::atomic<int> ParameterWrites = 0;
    // Every request the sampler has handled.
    std::atomic<int> Requests = 0;
    int Width = 0;
    int Height = 0;
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    TWaveGesturesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "WaveGesturesTest.moc"
