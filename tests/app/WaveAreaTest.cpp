// The main window's wave area on the built-in virtual sampler and its demo
// bank: the demo piano drawn, a selection dragged with the mouse and faded
// through the Edit menu, an envelope and a playback mode chosen through the
// Edit menu, the vertical scales, the speed buttons and shortcuts that reach
// the view and the marker commands, and Undo and Redo.
#include <QAction>
#include <QColor>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

#include "AppFixture.h"
#include "ModalScript.h"
#include "app/Application.h"
#include "app/StatusPanels.h"
#include "emulator/SampleEdits.h"
#include "emulator/VirtualEpsPeer.h"
#include "wave/PBModeForm.h"
#include "wave/PointMapping.h"
#include "wave/ScaleDataForm.h"
#include "wave/WaveArea.h"
#include "wave/WaveBox.h"
#include "wave/WaveColours.h"
#include "wave/WaveRuler.h"

namespace {

constexpr int Piano = 0;
constexpr int Drums = 1;
constexpr int Rimshot = 2;

bool HasColour(const QImage& picture, int x, const QColor& colour) {
    for (int y = 0; y < picture.height(); ++y) {
        if (QColor(picture.pixel(x, y)) == colour) {
            return true;
        }
    }
    return false;
}

bool HasColourAnywhere(const QImage& picture, const QColor& colour) {
    for (int x = 0; x < picture.width(); ++x) {
        if (HasColour(picture, x, colour)) {
            return true;
        }
    }
    return false;
}

} // namespace

class TWaveAreaTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        Fixture = std::make_unique<TAppFixture>();
        Form = Fixture->StartOnPiano();
        QVERIFY(Form != nullptr);
    }
    void cleanup() {
        Fixture->Stop();
        Fixture.reset();
    }

    void DemoWavesampleIsGreenOnBlackWithRedMarkers() {
        const QImage& picture = Form->WaveBox->Picture();
        const int width = picture.width();
        QVERIFY(HasColour(picture, width / 4, TWaveColours::Classic.Wave));
        QCOMPARE(QColor(picture.pixel(width / 4, 0)), TWaveColours::Classic.Background);
        QVERIFY(HasColour(picture, 0, TWaveColours::Classic.SampleMarker));
        const int end = MarkerColumn(Form->Eps->GetSampleAddress(wpSampleEnd), *Form->Eps, width);
        QVERIFY(HasColour(picture, end, TWaveColours::Classic.SampleMarker));
        QVERIFY(!HasColour(picture, width / 4, TWaveColours::Classic.SampleMarker));
    }

    // The left half, dragged with the mouse, faded in through the menu: the
    // points read back are quieter there, and the picture shows it.
    void FadeThroughTheMenuChangesTheDrawnPoints() {
        const TEps::TViewPoints before = Form->Eps->ViewPoints;
        const QImage drawn = Form->WaveBox->Picture().copy();
        const int middle = Form->WaveBox->width() / 2;
        const QPoint row(0, Form->WaveBox->height() / 2);
        QTest::mousePress(Form->WaveBox, Qt::LeftButton, {}, row);
        QTest::mouseMove(Form->WaveBox, row + QPoint(middle, 0));
        QTest::mouseRelease(Form->WaveBox, Qt::LeftButton, {}, row + QPoint(middle, 0));
        QVERIFY(Form->FadeInMenuItem->isEnabled());
        QCOMPARE(Form->SelStart, 0);

        Form->FadeInMenuItem->trigger();
        QVERIFY(Form->Eps->ViewPoints[10] < before[10]);
        QCOMPARE(Form->Eps->ViewPoints[400], before[400]);
        QVERIFY(Form->HasSelection);
        QVERIFY(Form->WaveBox->Picture() != drawn);
    }

    // The last node of the envelope dragged to the bottom: the selection
    // fades from just above unity to silence, the samples around it stay.
    void ScaleDataThroughTheMenuScalesTheSelection() {
        std::vector<std::int16_t> expected = PianoData();
        TAppFixture::Select(*Form, 1000, 1999);
        TModalScript script;
        script.Then<TScaleDataForm>([](TScaleDataForm* form) {
            const QPoint last(form->BoxRight, form->BoxTop + 20);
            const QPoint bottom(form->BoxRight, form->ScaleBox->height() + 30);
            QTest::mousePress(form->ScaleBox, Qt::LeftButton, {}, last);
            QTest::mouseMove(form->ScaleBox, bottom);
            QTest::mouseRelease(form->ScaleBox, Qt::LeftButton, {}, bottom);
            form->OkButton->click();
        });
        Form->ScaleDataMenuItem->trigger();
        QVERIFY2(script.Finished(), qPrintable(script.Failure));

        // The untouched first node lies on the unity row, level word 258.
        TSampleEdits::Scale(expected, 1000, 2000, TSampleEdits::DecodeLevel(258), 0);
        QVERIFY(PianoData() == expected);
        QCOMPARE(expected[1999], std::int16_t{0});
        QVERIFY(Form->HasSelection);

        // Cancel sends nothing.
        script.Then<TScaleDataForm>([](TScaleDataForm* form) { form->CancelButton->click(); });
        Form->ScaleButton->click();
        QVERIFY2(script.Finished(), qPrintable(script.Failure));
        QVERIFY(PianoData() == expected);
    }

    // The piano plays once; looping forward brings the loop markers, the
    // loop panels and the loop commands at once, and the sampler holds the
    // new mode. Its loop spans the whole wavesample, so the loop markers'
    // handles show just inside the red ones.
    void PlaybackModeThroughTheMenuShowsTheLoop() {
        QVERIFY(!HasColourAnywhere(Form->WaveBox->Picture(), TWaveColours::Classic.LoopMarker));
        TAppFixture::Select(*Form, 100, 199);
        QVERIFY(!Form->SetLoopStartMenuItem->isEnabled());

        TModalScript script;
        bool forwardShown = false;
        script.Then<TPBModeForm>([&](TPBModeForm* form) {
            forwardShown = form->ModeButtons[0]->isChecked();
            form->ModeButtons[2]->click();
            form->OkButton->click();
        });
        Form->SetPlaybackModeMenuItem->trigger();
        QVERIFY2(script.Finished(), qPrintable(script.Failure));

        QVERIFY(forwardShown);
        QCOMPARE(SamplerPlaybackMode(), 512);
        QVERIFY(Form->InLoopMode());
        QVERIFY(HasColourAnywhere(Form->WaveBox->Picture(), TWaveColours::Classic.LoopMarker));
        QCOMPARE(Form->StatusPanels->Text(3),
                 QString("le:%1").arg(Form->Eps->GetSampleAddress(wpLoopEnd)));
        QVERIFY(Form->SetLoopStartMenuItem->isEnabled());
        QVERIFY(Form->SetLoopEndButton->isEnabled());
        QVERIFY(Form->HasSelection);
    }

    // One scale at a time, in the menu and on the tool bar alike; the
    // amplitude scale beside the wave follows.
    void VerticalScalesAreExclusive() {
        const QImage loud = Form->WaveBox->Picture().copy();
        Form->ScaleMenuItems[8]->trigger();
        QCOMPARE(Form->VScale, 0);
        ExpectScaleChecked(8);
        QVERIFY(Form->WaveBox->Picture() != loud);
        QCOMPARE(FullScaleFigure(), QString("+0.391%"));

        Form->ScaleButtons[2]->click();
        QCOMPARE(Form->VScale, 6);
        ExpectScaleChecked(2);
        QCOMPARE(FullScaleFigure(), QString("+25%"));

        QTest::keyClick(Form, Qt::Key_1, Qt::ControlModifier);
        QCOMPARE(Form->VScale, 8);
        ExpectScaleChecked(0);
        QCOMPARE(Form->WaveBox->Picture(), loud);
        QCOMPARE(FullScaleFigure(), QString("+100%"));
    }

    // The status bar's figures follow the open wavesample and the selection;
    // the position panels keep their texts beside them.
    void StatusBarShowsRateLengthAndDuration() {
        QVERIFY(Form->OpenWavesampleAt(Drums, Rimshot));
        QCOMPARE(Form->FiguresPanel->text(), QString("44642 Hz, 400 samples, 0.009 s"));
        QVERIFY(Form->FiguresPanel->isVisible());
        TAppFixture::Select(*Form, 100, 199);
        QCOMPARE(Form->FiguresPanel->text(),
                 QString("44642 Hz, 400 samples, 0.009 s; selected 100 samples, 0.002 s"));
        QCOMPARE(Form->StatusPanels->Text(4), QString("range:100 - 199"));
        QCOMPARE(Form->StatusPanels->Text(0), QString("ws:0"));
        Form->CloseWavesampleMenuItem->trigger();
        QCOMPARE(Form->FiguresPanel->text(), QString());
        QCOMPARE(Form->StatusPanels->Text(4), QString());
    }

    void SpeedButtonsAndShortcutsReachTheView() {
        TAppFixture::Select(*Form, 1000, 1999);
        Form->SetWaveStartButton->click();
        QCOMPARE(Form->Eps->GetSampleAddress(wpSampleStart), 1000);

        Form->ZoomInButton->click();
        QCOMPARE(Form->Eps->ViewStart, 1000);
        QCOMPARE(Form->Eps->SamplesPerPoint, 2);
        QVERIFY(Form->ScrollBar->isVisibleTo(Form));
        QTest::keyClick(Form, Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(Form->Eps->SamplesPerPoint, 4);
        Form->ShowAllButton->click();
        QVERIFY(!Form->Eps->Zoomed);
        QVERIFY(!Form->ScrollBar->isVisibleTo(Form));
    }

    // Zooming in, out and back to the whole keeps the selection, which is
    // drawn on every view: inverted columns over its samples, and only
    // there.
    void ZoomingKeepsTheSelection() {
        TAppFixture::Select(*Form, 1000, 1999);
        for (QAction* zoom : {Form->ZoomInMenuItem, Form->ZoomOutMenuItem, Form->ShowAllMenuItem}) {
            zoom->trigger();
            QVERIFY2(Form->HasSelection, qPrintable(zoom->text()));
            QCOMPARE(Form->SelStart, 1000);
            QCOMPARE(Form->SelEnd, 1999);
            QCOMPARE(Form->StatusPanels->Text(4), QString("range:1000 - 1999"));
            const int first = SampleColumn(1000);
            const int last = SampleColumn(1999);
            QVERIFY(ShownSelected((first + last) / 2));
            QVERIFY(first < 2 || !ShownSelected(first - 2));
            QVERIFY(last + 2 >= Form->WaveBox->width() || !ShownSelected(last + 2));
        }
        QVERIFY(Form->FadeInMenuItem->isEnabled());
    }

    // Undo and Redo through their shortcuts and speed buttons take an edit
    // and a marker move back and make them again; the items' captions and
    // state follow what there is to undo or redo, and closing ends it all.
    void UndoAndRedoFollowTheHistory() {
        const TWaveSample original = Piano1();
        ExpectUndoState("&Undo", false, "&Redo", false);

        TAppFixture::Select(*Form, 1000, 1999);
        Form->FadeOutMenuItem->trigger();
        const TWaveSample faded = Piano1();
        QVERIFY(faded.Data != original.Data);
        ExpectUndoState("&Undo Fade Out", true, "&Redo", false);

        QTest::keyClick(Form, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(Piano1() == original);
        ExpectUndoState("&Undo", false, "&Redo Fade Out", true);

        QTest::keyClick(Form, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(Piano1() == faded);
        QTest::keyClick(Form, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(Piano1() == original);
        QTest::keyClick(Form, Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(Piano1() == faded);
        ExpectUndoState("&Undo Fade Out", true, "&Redo", false);

        Form->SetSampleStartMenuItem->trigger();
        QCOMPARE(Piano1().Address(TWaveSample::StartWord), 1000u);
        ExpectUndoState("&Undo Set Sample Start", true, "&Redo", false);
        Form->UndoButton->click();
        QVERIFY(Piano1() == faded);
        ExpectUndoState("&Undo Fade Out", true, "&Redo Set Sample Start", true);
        Form->RedoButton->click();
        QCOMPARE(Piano1().Address(TWaveSample::StartWord), 1000u);

        Form->CloseWavesampleMenuItem->trigger();
        ExpectUndoState("&Undo", false, "&Redo", false);
    }

private:
    // The column of the picture that shows the sample, in the view as it is.
    int SampleColumn(std::int32_t sample) const {
        const int point = (sample - Form->Eps->ViewStart) / Form->Eps->SamplesPerPoint;
        return PointColumn(point, Form->WaveBox->width());
    }

    // The column is inverted: neither the background nor the wave shows in
    // its own colour.
    bool ShownSelected(int x) {
        const QImage& picture = Form->WaveBox->Picture();
        return !HasColour(picture, x, TWaveColours::Classic.Background) &&
               !HasColour(picture, x, TWaveColours::Classic.Wave);
    }

    // Up to its end: behind it the sampler keeps the work area and the
    // copies for undo.
    std::vector<std::int16_t> PianoData() { return Piano1().Data; }

    // The piano's parameters, and its data up to its end.
    TWaveSample Piano1() {
        TWaveSample piano;
        Fixture->Sampler->Sampler().Inspect(
            [&](TSamplerModel& memory) { piano = *memory.Instrument(Piano)->WaveSample(1); });
        piano.Data.resize(piano.Address(TWaveSample::EndWord) + 1);
        return piano;
    }

    void ExpectUndoState(const QString& undo, bool canUndo, const QString& redo, bool canRedo) {
        QCOMPARE(Form->UndoMenuItem->text(), undo);
        QCOMPARE(Form->UndoMenuItem->isEnabled(), canUndo);
        QCOMPARE(Form->UndoButton->isEnabled(), canUndo);
        QCOMPARE(Form->RedoMenuItem->text(), redo);
        QCOMPARE(Form->RedoMenuItem->isEnabled(), canRedo);
        QCOMPARE(Form->RedoButton->isEnabled(), canRedo);
    }

    int SamplerPlaybackMode() {
        int mode = -1;
        Fixture->Sampler->Sampler().Inspect([&](TSamplerModel& memory) {
            mode =
                memory.Instrument(Piano)->WaveSample(1)->Parameters[TWaveSample::PlaybackModeWord];
        });
        return mode;
    }

    // What the amplitude scale writes at the top edge of the wave.
    QString FullScaleFigure() const {
        return Form->WaveScrollBox->AmplitudeScale->Marks().front().Text;
    }

    void ExpectScaleChecked(int item) {
        for (int i = 0; i < TMainForm::ScaleCount; ++i) {
            QCOMPARE(Form->ScaleMenuItems[i]->isChecked(), i == item);
            QCOMPARE(Form->ScaleButtons[i]->isChecked(), i == item);
        }
    }

    std::unique_ptr<TAppFixture> Fixture;
    TMainForm* Form = nullptr;
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    TWaveAreaTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "WaveAreaTest.moc"
