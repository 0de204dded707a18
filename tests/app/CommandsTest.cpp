// The main window's commands, their enabling and the status bar, against the
// built-in virtual sampler and its demo bank: instrument 1 holds a piano
// (wavesample 1, no loop) and a parameters-only copy of it (wavesample 2);
// instrument 4 holds a looped pad.
#include <QAction>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <set>

#include "AppFixture.h"
#include "ModalScript.h"
#include "TavimorVersion.h"
#include "app/Application.h"
#include "app/StatusPanels.h"
#include "debug/DebugDevice.h"
#include "emulator/VirtualEpsPeer.h"
#include "midi/ChannelComboBox.h"
#include "midi/MidiError.h"
#include "midi/MidiOutComboBox.h"
#include "wave/WaveColours.h"

namespace {

constexpr int Piano = 0;
constexpr int Pad = 3;

// Pixels of a picture that show, and those that show a colour rather than
// a grey.
int VisiblePixels(const QImage& picture) {
    int count = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            count += picture.pixelColor(x, y).alpha() > 0 ? 1 : 0;
        }
    }
    return count;
}

int ColouredPixels(const QImage& picture) {
    constexpr int GreyTolerance = 24;
    int count = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QColor pixel = picture.pixelColor(x, y);
            const int spread = std::max({pixel.red(), pixel.green(), pixel.blue()}) -
                               std::min({pixel.red(), pixel.green(), pixel.blue()});
            count += pixel.alpha() > 0 && spread > GreyTolerance ? 1 : 0;
        }
    }
    return count;
}

// A point inside status panel n.
QPoint InPanel(const TStatusPanels& panels, int n) {
    return panels.findChildren<QLabel*>().at(n)->geometry().center();
}

// A key and the menu item it must reach, with the class of the dialog that
// item opens, if any.
struct TShortcut {
    const char* Keys;
    QAction* TMainForm::*Item;
    const char* Dialog = nullptr;
};

const TShortcut Shortcuts[] = {
    {"Ctrl+Z", &TMainForm::UndoMenuItem},
    {"Alt+Backspace", &TMainForm::UndoMenuItem},
    {"Ctrl+Shift+Z", &TMainForm::RedoMenuItem},
    {"Ctrl+Y", &TMainForm::RedoMenuItem},
    {"Shift+Alt+Backspace", &TMainForm::RedoMenuItem},
    {"Ctrl++", &TMainForm::ZoomInMenuItem},
    {"Ctrl+=", &TMainForm::ZoomInMenuItem},
    {"Ctrl+-", &TMainForm::ZoomOutMenuItem},
    {"Ctrl+0", &TMainForm::ShowAllMenuItem},
    {"Ctrl+A", &TMainForm::SelectAllMenuItem},
    {"Ctrl+O", &TMainForm::OpenWavesampleMenuItem, "TOpenWaveForm"},
    {"Ctrl+,", &TMainForm::PreferencesMenuItem, "TPreferencesForm"},
    {"F1", &TMainForm::ContentsMenuItem},
    {"Ctrl+Q", &TMainForm::ExitMenuItem},
};

} // namespace

class TCommandsTest : public QObject {
    Q_OBJECT

public slots:
    void OpenUrl(const QUrl& url) { OpenedUrls.push_back(url); }

private slots:
    void init() {
        Fixture = std::make_unique<TAppFixture>();
        Fixture->Store({{"MainForm/WelcomeShown", "1"}});
        Form = Fixture->Start().MainForm.get();
    }
    void cleanup() {
        Fixture->Stop();
        Fixture.reset();
        OpenedUrls.clear();
    }

    void WithNothingOpenOnlyTheAlwaysEnabledCommandsRespond() {
        std::set<QObject*> always = {Form->OpenWavesampleMenuItem,
                                     Form->DownloadMenuItem,
                                     Form->UploadMenuItem,
                                     Form->BackUpInstrumentMenuItem,
                                     Form->RestoreInstrumentMenuItem,
                                     Form->ExitMenuItem,
                                     Form->PreferencesMenuItem,
                                     Form->ContentsMenuItem,
                                     Form->HomepageMenuItem,
                                     Form->AboutMenuItem};
        always.insert(Form->ScaleMenuItems.begin(), Form->ScaleMenuItems.end());
        always.insert(Form->ScaleButtons.begin(), Form->ScaleButtons.end());
        // A selection left over counts for nothing without a wavesample.
        Form->HasSelection = true;
        Form->UpdateCommands();
        for (QObject* command : Commands()) {
            QCOMPARE(IsEnabled(command), always.count(command) == 1);
        }
        Form->HasSelection = false;
        Form->UpdateStatusBar();
        for (int panel = 0; panel < TStatusPanels::PanelCount; ++panel) {
            QVERIFY(Form->StatusPanels->Text(panel).isEmpty());
        }
    }

    // An empty window says where to start; an open wavesample takes its
    // place, and closing it brings the line back.
    void EmptyWindowSaysWhereToStart() {
        QCOMPARE(Form->StartLabel->text(), QString("File > Open Wavesample (Ctrl+O) to start"));
        QVERIFY(Form->StartLabel->isVisible());
        QVERIFY(Form->OpenWavesampleAt(Piano, 1));
        QVERIFY(!Form->StartLabel->isVisible());
        Form->CloseWavesampleMenuItem->trigger();
        QVERIFY(Form->StartLabel->isVisible());
        // Readable on the empty area in either look.
        for (const TWaveLook look : {wlTheme, wlClassic}) {
            Form->SetLook(look);
            const QColor text = Form->StartLabel->palette().color(QPalette::WindowText);
            const QColor ground = TWaveColours::Of(look).ClosedBackground;
            QVERIFY(std::abs(text.lightness() - ground.lightness()) > 100);
        }
    }

    void WavesampleWithoutLoopEnablesNoLoopCommands() {
        QVERIFY(Form->OpenWavesampleAt(Piano, 1));
        QVERIFY(!Form->InLoopMode());
        ExpectEnabled({Form->CloseWavesampleMenuItem, Form->NormalizeGainMenuItem,
                       Form->SetPlaybackModeMenuItem});
        QCOMPARE(Form->StatusPanels->Text(0), QString("ws:0"));
        QCOMPARE(Form->StatusPanels->Text(1), QString("we:%1").arg(ModelAddress(Piano, 1, 119)));
        QVERIFY(Form->StatusPanels->Text(2).isEmpty());
        QVERIFY(Form->StatusPanels->Text(3).isEmpty());

        Select(100, 199);
        QCOMPARE(Form->StatusPanels->Text(4), QString("range:100 - 199"));
        // A range of long addresses shows whole; the other panels keep
        // their width, 75 pixels at least.
        Form->SelStart = 1000000;
        Form->SelEnd = 1999999;
        Form->UpdateStatusBar();
        const QList<QLabel*> panels = Form->StatusPanels->findChildren<QLabel*>();
        QCOMPARE(panels.size(), TStatusPanels::PanelCount);
        QCOMPARE(panels.back()->text(), QString("range:1000000 - 1999999"));
        QTRY_VERIFY(panels.back()->contentsRect().width() >=
                    panels.back()->fontMetrics().horizontalAdvance(panels.back()->text()));
        const int panelWidth = panels.front()->width();
        QVERIFY(panelWidth >= TStatusPanels::PanelWidth);
        // In a larger font the address panels widen, so that the highest
        // address is never cut to another number, and a press finds them.
        const QFont font = Form->StatusPanels->font();
        QFont large = font;
        large.setPointSizeF(font.pointSizeF() * 2);
        Form->StatusPanels->setFont(large);
        Form->StatusPanels->SetText(1, "we:8388607");
        QTRY_VERIFY(panels.at(1)->contentsRect().width() >=
                    panels.at(1)->fontMetrics().horizontalAdvance("we:8388607"));
        QTest::mouseClick(Form->StatusPanels, Qt::LeftButton, {},
                          panels.at(1)->geometry().center());
        QCOMPARE(Form->Eps->SamplesPerPoint, 1);
        QCOMPARE(Form->Eps->ViewEnd, Form->Eps->LastSample + 1);
        Form->ShowAllMenuItem->trigger();
        Form->StatusPanels->setFont(font);
        QTRY_COMPARE(panels.at(1)->width(), panelWidth);
        Select(100, 199);
        QVERIFY(Form->Eps->SamplesPerPoint > 1);
        ExpectEnabled({Form->CloseWavesampleMenuItem, Form->NormalizeGainMenuItem,
                       Form->SetPlaybackModeMenuItem, Form->ClearDataMenuItem, Form->FadeInMenuItem,
                       Form->FadeOutMenuItem, Form->ReverseDataMenuItem, Form->ScaleDataMenuItem,
                       Form->SetSampleStartMenuItem, Form->SetSampleEndMenuItem, Form->FadeInButton,
                       Form->FadeOutButton, Form->ScaleButton, Form->SetWaveStartButton,
                       Form->SetWaveEndButton, Form->ZoomInMenuItem, Form->ZoomInButton});

        // The loop panels have no address here: a click on them does nothing.
        const std::int32_t viewEnd = Form->Eps->ViewEnd;
        QTest::mouseClick(Form->StatusPanels, Qt::LeftButton, {}, InPanel(*Form->StatusPanels, 3));
        QVERIFY(Form->HasSelection);
        QCOMPARE(Form->Eps->ViewEnd, viewEnd);
    }

    void LoopedWavesampleShowsAndEnablesTheLoop() {
        QVERIFY(Form->OpenWavesampleAt(Pad, 1));
        QVERIFY(Form->InLoopMode());
        QCOMPARE(Form->StatusPanels->Text(2), QString("ls:%1").arg(ModelAddress(Pad, 1, 123)));
        QCOMPARE(Form->StatusPanels->Text(3), QString("le:%1").arg(ModelAddress(Pad, 1, 127)));
        QVERIFY(!Form->SetLoopStartMenuItem->isEnabled());
        Select(1000, 1999);
        QVERIFY(Form->SetLoopStartMenuItem->isEnabled());
        QVERIFY(Form->SetLoopEndMenuItem->isEnabled());
        QVERIFY(Form->SetLoopStartButton->isEnabled());
        QVERIFY(Form->SetLoopEndButton->isEnabled());
    }

    // A click on a marker's panel shows the exact view of 512 samples with
    // the marker in the middle, and drops the selection.
    void MarkerPanelClickZoomsToTheMarker() {
        QVERIFY(Form->OpenWavesampleAt(Pad, 1));
        Select(10, 20);
        const std::int32_t loopStart = Form->Eps->GetSampleAddress(wpLoopStart);
        QTest::mouseClick(Form->StatusPanels, Qt::LeftButton, {}, InPanel(*Form->StatusPanels, 2));
        QVERIFY(!Form->HasSelection);
        QVERIFY(Form->StatusPanels->Text(4).isEmpty());
        QCOMPARE(Form->Eps->SamplesPerPoint, 1);
        QCOMPARE(Form->Eps->ViewStart, loopStart - 256);
        QCOMPARE(Form->Eps->ViewEnd, loopStart + 256);
        // The pad loops through its last sample: near the end the window is
        // pushed back inside the wavesample, which the end marker closes.
        const std::int32_t loopEnd = Form->Eps->GetSampleAddress(wpLoopEnd);
        QTest::mouseClick(Form->StatusPanels, Qt::LeftButton, {}, InPanel(*Form->StatusPanels, 3));
        QCOMPARE(Form->Eps->ViewStart, loopEnd + 1 - 512);
        QCOMPARE(Form->Eps->ViewEnd, loopEnd + 1);
        QVERIFY(Form->ScrollBar->isVisibleTo(Form));
        ExpectZoomed();

        // Near the start the window is pushed back inside the wavesample.
        Form->Eps->SetSampleAddress(wpSampleStart, 100);
        QTest::mouseClick(Form->StatusPanels, Qt::RightButton, {}, InPanel(*Form->StatusPanels, 0));
        QCOMPARE(Form->Eps->ViewStart, 0);
        QCOMPARE(Form->Eps->ViewEnd, 512);
        // Beyond the five panels nothing happens.
        QTest::mouseClick(
            Form->StatusPanels, Qt::LeftButton, {},
            QPoint(TStatusPanels::PanelCount *
                           Form->StatusPanels->findChildren<QLabel*>().front()->width() +
                       5,
                   5));
        QCOMPARE(Form->Eps->ViewStart, 0);
        Form->Eps->SetSampleAddress(wpSampleStart, 0);
    }

    void ShortcutsReachTheirCommands_data() {
        QTest::addColumn<int>("row");
        for (int row = 0; row < int(std::size(Shortcuts)); ++row) {
            QTest::newRow(Shortcuts[row].Keys) << row;
        }
    }

    // On a zoomed view with a selection, an edit made and a second one taken
    // back, every command that has a key is enabled; the key reaches its
    // command and no other.
    void ShortcutsReachTheirCommands() {
        QFETCH(int, row);
        const TShortcut& shortcut = Shortcuts[row];
        QVERIFY(Form->OpenWavesampleAt(Piano, 1));
        Select(1000, 1999);
        Form->ZoomInMenuItem->trigger();
        Form->FadeOutMenuItem->trigger();
        Form->FadeInMenuItem->trigger();
        Form->UndoMenuItem->trigger();
        QAction* item = Form->*shortcut.Item;
        QVERIFY(item->isEnabled());

        QDesktopServices::setUrlHandler("file", this, "OpenUrl");
        std::vector<std::pair<QAction*, std::unique_ptr<QSignalSpy>>> spies;
        for (QAction* any : Form->findChildren<QAction*>()) {
            spies.emplace_back(any, std::make_unique<QSignalSpy>(any, &QAction::triggered));
        }
        TModalScript script;
        QString dialog;
        if (shortcut.Dialog != nullptr) {
            script.Then<QDialog>([&](QDialog* shown) {
                dialog = shown->metaObject()->className();
                shown->reject();
            });
        }
        QTest::keySequence(Form, QKeySequence(shortcut.Keys));
        QDesktopServices::unsetUrlHandler("file");

        QVERIFY2(script.Finished(), qPrintable(script.Failure));
        QCOMPARE(dialog, QString(shortcut.Dialog));
        for (const auto& [reached, spy] : spies) {
            QVERIFY2(spy->count() == (reached == item ? 1 : 0), qPrintable(reached->text()));
        }
    }

    void HintsReplaceThePanels() {
        Form->OpenWavesampleMenuItem->showStatusText(Form);
        QCOMPARE(Form->StatusBar->currentMessage(), QString("Open wavesample for editing"));
        QVERIFY(!Form->StatusPanels->isVisible());
        QStatusTipEvent none{QString()};
        QApplication::sendEvent(Form, &none);
        QVERIFY(Form->StatusPanels->isVisible());

        // A separator's hint is one blank: the mouse moving from an item onto
        // a separator shows an empty hint line, not the panels.
        QMenu* file = Form->menuBar()->actions().at(0)->menu();
        Form->menuBar()->setActiveAction(file->menuAction());
        QTRY_VERIFY(file->isVisible());
        QAction* separator = file->actions().at(2);
        QVERIFY(separator->isSeparator());
        QTest::mouseMove(file, file->actionGeometry(file->actions().at(0)).center());
        QTRY_COMPARE(Form->StatusBar->currentMessage(), QString("Open wavesample for editing"));
        QTest::mouseMove(file, file->actionGeometry(separator).center());
        QTRY_COMPARE(Form->StatusBar->currentMessage(), QString(" "));
        QVERIFY(!Form->StatusPanels->isVisible());
        file->hide();
        QVERIFY(Form->StatusPanels->isVisible());

        // An open menu shows its own hint until an item is highlighted.
        QMenu* edit = Form->menuBar()->actions().at(1)->menu();
        Form->menuBar()->setActiveAction(edit->menuAction());
        QTRY_VERIFY(edit->isVisible());
        QCOMPARE(Form->StatusBar->currentMessage(), QString("Perform editing commands"));
        edit->hide();
        QVERIFY(Form->StatusPanels->isVisible());

        // Speed buttons have a tool tip and no status hint.
        QVERIFY(Form->ZoomInButton->statusTip().isEmpty());
        QCOMPARE(Form->ScaleButtons[3]->toolTip(), QString("Set Vertical Scale to 1:32"));
    }

    // The vertical scales' buttons show their ratio, and name it in their
    // tool tips, which differ from one another.
    void ScaleButtonsShowTheirRatio() {
        for (int i = 0; i < TMainForm::ScaleCount; ++i) {
            const QToolButton* button = Form->ScaleButtons[i];
            const QString ratio = QString("1:%1").arg(256 >> i);
            QCOMPARE(button->text(), ratio);
            QCOMPARE(button->toolTip(), "Set Vertical Scale to " + ratio);
            QVERIFY(button->width() > button->fontMetrics().horizontalAdvance(ratio));
        }
    }

    // The pictures of the tool bar are drawn for the screen's pixels: at
    // 150 % and 200 % they have that many more pixels, not the same ones
    // enlarged. A disabled button's picture is grey.
    void ButtonPicturesAreDrawnAtEveryScale_data() {
        QTest::addColumn<double>("ratio");
        QTest::newRow("100 %") << 1.0;
        QTest::newRow("150 %") << 1.5;
        QTest::newRow("200 %") << 2.0;
    }

    void ButtonPicturesAreDrawnAtEveryScale() {
        QFETCH(double, ratio);
        const QSize size = Form->ZoomInButton->iconSize();
        const QSize pixels = size * ratio;
        for (const QToolButton* button :
             {Form->SetWaveStartButton, Form->SetWaveEndButton, Form->SetLoopStartButton,
              Form->SetLoopEndButton, Form->FadeInButton, Form->ScaleButton, Form->FadeOutButton,
              Form->UndoButton, Form->RedoButton, Form->ZoomInButton, Form->ZoomOutButton,
              Form->ShowAllButton}) {
            const QString name = button->toolTip();
            const QPixmap normal = button->icon().pixmap(size, ratio, QIcon::Normal);
            QCOMPARE(normal.size(), pixels);
            QCOMPARE(normal.devicePixelRatio(), ratio);
            QVERIFY2(ColouredPixels(normal.toImage()) > 0, qPrintable(name));
            const QImage disabled = button->icon().pixmap(size, ratio, QIcon::Disabled).toImage();
            QCOMPARE(disabled.size(), pixels);
            QVERIFY2(ColouredPixels(disabled) == 0, qPrintable(name));
            QVERIFY2(VisiblePixels(disabled) > pixels.width(), qPrintable(name));
        }
    }

    // A speed button's tool tip names its command as the menu does, with the
    // key; the menu item shows the platform's usual key first.
    void ToolTipsNameTheCommandAndItsKey() {
        const std::vector<std::pair<QToolButton*, QString>> tips = {
            {Form->SetWaveStartButton, "Set Sample Start"},
            {Form->SetWaveEndButton, "Set Sample End"},
            {Form->SetLoopStartButton, "Set Loop Start"},
            {Form->SetLoopEndButton, "Set Loop End"},
            {Form->FadeInButton, "Fade In"},
            {Form->ScaleButton, "Scale Data"},
            {Form->FadeOutButton, "Fade Out"},
            {Form->UndoButton, "Undo (Ctrl+Z)"},
            {Form->RedoButton, "Redo (%1)"},
            {Form->ZoomInButton, "Zoom In (Ctrl++)"},
            {Form->ZoomOutButton, "Zoom Out (Ctrl+-)"},
            {Form->ShowAllButton, "Show All (Ctrl+0)"},
        };
        const QKeySequence redo = QKeySequence::keyBindings(QKeySequence::Redo).value(0);
        for (const auto& [button, tip] : tips) {
            QCOMPARE(button->toolTip(), QString(tip).replace("%1", redo.toString()));
        }
        QCOMPARE(Form->UndoMenuItem->shortcut(), QKeySequence("Ctrl+Z"));
        QCOMPARE(Form->RedoMenuItem->shortcut(), redo);
        // The four marker commands' hints say the same of each.
        QCOMPARE(Form->SetSampleStartMenuItem->statusTip(), QString("Set the sample start point"));
        QCOMPARE(Form->SetSampleEndMenuItem->statusTip(), QString("Set the sample end point"));
        QCOMPARE(Form->SetLoopStartMenuItem->statusTip(), QString("Set the loop start point"));
        QCOMPARE(Form->SetLoopEndMenuItem->statusTip(), QString("Set the loop end point"));
        QCOMPARE(Form->ExitMenuItem->text(), QString("E&xit"));
        QCOMPARE(Form->ExitMenuItem->shortcut(), QKeySequence("Ctrl+Q"));
    }

    void OpenThroughBrowserTakesTheOriginalOfACopy() {
        TModalScript script;
        QString question;
        script.Then<TOpenWaveForm>([](TOpenWaveForm* browser) { ChooseCopy(browser); })
            .Then<TWsIsCopyForm>([&](TWsIsCopyForm* copy) {
                question = copy->Label5->text();
                copy->OkButton->click();
            });
        Form->OpenWavesampleMenuItem->trigger();
        QVERIFY2(script.Finished(), qPrintable(script.Failure));
        QCOMPARE(question, QString("Do you want to edit wavesample #1 instead ?"));
        QVERIFY(Form->Eps->WaveSampleOpen);
        QCOMPARE(Form->Eps->Instrument, Piano);
        QCOMPARE(Form->Eps->WaveSample, 1);
        QVERIFY(Form->CloseWavesampleMenuItem->isEnabled());
    }

    // Cancel in the browser keeps the open wavesample and its selection.
    void OpenCancelledKeepsTheOpenWavesample() {
        QVERIFY(Form->OpenWavesampleAt(Piano, 1));
        Select(5, 6);
        TModalScript script;
        script.Then<TOpenWaveForm>([](TOpenWaveForm* browser) { browser->CancelButton->click(); });
        Form->OpenWavesampleMenuItem->trigger();
        QVERIFY2(script.Finished(), qPrintable(script.Failure));
        QVERIFY(Form->Eps->WaveSampleOpen);
        QVERIFY(Form->HasSelection);
        QVERIFY(Form->CloseWavesampleMenuItem->isEnabled());
    }

    // Declining the copy leads back to the browser; Cancel there leaves
    // nothing open, not even the wavesample open before.
    void DecliningTheCopyShowsTheBrowserAgain() {
        QVERIFY(Form->OpenWavesampleAt(Pad, 1));
        TModalScript script;
        script.Then<TOpenWaveForm>([](TOpenWaveForm* browser) { ChooseCopy(browser); })
            .Then<TWsIsCopyForm>([](TWsIsCopyForm* copy) { copy->CancelButton->click(); })
            .Then<TOpenWaveForm>([](TOpenWaveForm* browser) { browser->CancelButton->click(); });
        Form->OpenWavesampleMenuItem->trigger();
        QVERIFY2(script.Finished(), qPrintable(script.Failure));
        QVERIFY(!Form->Eps->WaveSampleOpen);
        QVERIFY(!Form->CloseWavesampleMenuItem->isEnabled());
        QVERIFY(Form->StatusPanels->Text(0).isEmpty());
    }

    // A failed connection check ends the command before anything is closed,
    // with the ordinary pointer over the dialog.
    void FailedConnectionKeepsTheOpenWavesample() {
        QVERIFY(Form->OpenWavesampleAt(Piano, 1));
        Form->Eps->MidiIn->Close();
        Form->Eps->MidiIn->DeviceID = -1;
        TModalScript script;
        bool retryShown = true;
        Qt::CursorShape cursor = Qt::WaitCursor;
        script.Then<TNoEpsForm>([&](TNoEpsForm* noEps) {
            retryShown = noEps->RetryButton->isVisible();
            cursor = QApplication::overrideCursor() ? QApplication::overrideCursor()->shape()
                                                    : Qt::ArrowCursor;
            noEps->OkButton->click();
        });
        Form->OpenWavesampleMenuItem->trigger();
        QVERIFY2(script.Finished(), qPrintable(script.Failure));
        QVERIFY(!retryShown);
        QCOMPARE(cursor, Qt::ArrowCursor);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QVERIFY(Form->Eps->WaveSampleOpen);
        // The sampler must hear the close at the end.
        Form->Eps->MidiIn->DeviceID = 0;
        QVERIFY(Form->Eps->MidiIn->Open());
    }

    void CloseWavesampleCommandClosesIt() {
        QVERIFY(Form->OpenWavesampleAt(Piano, 1));
        Select(5, 6);
        Form->CloseWavesampleMenuItem->trigger();
        QVERIFY(!Form->Eps->WaveSampleOpen);
        QVERIFY(!Form->HasSelection);
        QVERIFY(!Form->ScrollBar->isVisibleTo(Form));
        ExpectEnabled({});
    }

    void PreferencesCommandAppliesOnOkOnly() {
        TModalScript script;
        script
            .Then<TPreferencesForm>([](TPreferencesForm* preferences) {
                preferences->ChannelComboBox->setCurrentIndex(4);
                preferences->CancelButton->click();
            })
            .Then<TPreferencesForm>([](TPreferencesForm* preferences) {
                preferences->ChannelComboBox->setCurrentIndex(9);
                preferences->OkButton->click();
            });
        Form->PreferencesMenuItem->trigger();
        QCOMPARE(Form->Eps->MidiOut->Channel(), 1);
        Form->PreferencesMenuItem->trigger();
        QVERIFY2(script.Finished(), qPrintable(script.Failure));
        QCOMPARE(Form->Eps->MidiOut->Channel(), 10);
        Fixture->Stop();
        QCOMPARE(Fixture->Stored("Preferences/Channel").toString(), QString("10"));
    }

    // A test of a sampler that does not answer is given up with Escape,
    // which leaves the dialog open and the engine as it was.
    void TestConnectionIsCancelledByEscape() {
        TModalScript script;
        QString result;
        bool stillShown = false;
        script.Then<TPreferencesForm>([&](TPreferencesForm* preferences) {
            preferences->ChannelComboBox->SetChannel(5);
            QTimer::singleShot(300, preferences,
                               [preferences] { QTest::keyClick(preferences, Qt::Key_Escape); });
            preferences->TestButton->click();
            result = preferences->TestResultLabel->text();
            stillShown = preferences->isVisible();
            preferences->reject();
        });
        QElapsedTimer waited;
        waited.start();
        Form->PreferencesMenuItem->trigger();
        QVERIFY2(script.Finished(), qPrintable(script.Failure));
        QCOMPARE(result, QString("Test cancelled."));
        QVERIFY(stillShown);
        QVERIFY(waited.elapsed() < 5000);
        QCOMPARE(Form->Eps->MidiOut->Channel(), 1);
        QVERIFY(Form->OpenWavesampleAt(Piano, 1));
    }

    // The connection dialog's Preferences button gives the command up and
    // opens Preferences, where the devices can be put right.
    void ConnectionDialogLeadsToPreferences() {
        Form->Eps->MidiOut->Close();
        Form->Eps->MidiOut->DeviceID = -1;
        TModalScript script;
        script.Then<TNoEpsForm>([](TNoEpsForm* noEps) { noEps->PreferencesButton->click(); })
            .Then<TPreferencesForm>([](TPreferencesForm* preferences) {
                preferences->MidiOutComboBox->setCurrentIndex(0);
                preferences->OkButton->click();
            });
        Form->OpenWavesampleMenuItem->trigger();
        QTRY_VERIFY2(script.Finished(), qPrintable(script.Failure));
        QCOMPARE(Form->Eps->MidiOut->DeviceID, 0);
        QVERIFY(!Form->Eps->WaveSampleOpen);
    }

    // Messages and dialogs come up over the main window, wherever it is,
    // each time they come; a dialog follows the window while it is up, as
    // when a window manager maximizes the window late.
    void MessagesComeUpOverTheMainWindow() {
        Fixture->Stop();
        Fixture->Store({{"MainForm/WelcomeShown", "1"},
                        {"MainForm/WindowState", "0"},
                        {"MainForm/Left", "0"},
                        {"MainForm/Top", "0"},
                        {"MainForm/Width", "760"},
                        {"MainForm/Height", "540"}});
        Form = Fixture->Start().MainForm.get();
        QStringList missed;
        const auto note = [&](QWidget* shown) {
            const QPoint offset = shown->frameGeometry().center() - Form->frameGeometry().center();
            if (offset.manhattanLength() > 4) {
                missed << QString("%1 at %2,%3")
                              .arg(shown->metaObject()->className())
                              .arg(offset.x())
                              .arg(offset.y());
            }
        };
        TModalScript script;
        const auto answer = [&](QDialog* shown) {
            note(shown);
            shown->reject();
        };
        script.Then<QMessageBox>(answer)
            .Then<TPreferencesForm>(answer)
            .Then<TPreferencesForm>([&](TPreferencesForm* shown) {
                Form->move(30, 40);
                QTRY_COMPARE(Form->pos(), QPoint(30, 40));
                answer(shown);
            })
            .Then<TNoEpsForm>(answer);
        Form->ShowWarning("Wavesample is too big", mcEmpty);
        Form->PreferencesMenuItem->trigger();
        Form->PreferencesMenuItem->trigger();
        Form->Eps->MidiIn->Close();
        Form->Eps->MidiIn->DeviceID = -1;
        Form->OpenWavesampleMenuItem->trigger();
        QVERIFY2(script.Finished(), qPrintable(script.Failure));
        QVERIFY2(missed.isEmpty(), qPrintable(missed.join("; ")));
    }

    // Contents and the dialogs' Help buttons open pages that exist beside the
    // program, at the anchor of their topic.
    void HelpOpensTheTopicPages() {
        QDesktopServices::setUrlHandler("file", this, "OpenUrl");
        QDesktopServices::setUrlHandler("https", this, "OpenUrl");
        Form->ContentsMenuItem->trigger();
        Fixture->Windows->PreferencesForm->HelpButton->click();
        Fixture->Windows->NoEpsForm->HelpButton->click();
        Form->HomepageMenuItem->trigger();
        QDesktopServices::unsetUrlHandler("file");
        QDesktopServices::unsetUrlHandler("https");

        QCOMPARE(OpenedUrls.size(), 4);
        QVERIFY(OpenedUrls[0].toLocalFile().endsWith("/help/index.html"));
        QCOMPARE(OpenedUrls[1].fragment(), QString("context-2"));
        QCOMPARE(OpenedUrls[2].fragment(), QString("context-3"));
        for (int i = 0; i < 3; ++i) {
            QFile page(OpenedUrls[i].toLocalFile());
            QVERIFY2(page.open(QIODevice::ReadOnly), qPrintable(page.fileName()));
            const QByteArray anchor = "id=\"" + OpenedUrls[i].fragment().toUtf8() + "\"";
            QVERIFY(OpenedUrls[i].fragment().isEmpty() || page.readAll().contains(anchor));
        }
        QCOMPARE(OpenedUrls[3], QUrl("https://tavimor.org"));

        // This test platform starts no browser: the user is told where the
        // page is.
        TModalScript script;
        QString told;
        script.Then<QMessageBox>([&](QMessageBox* box) {
            told = box->text();
            box->accept();
        });
        Form->ContentsMenuItem->trigger();
        QVERIFY2(script.Finished(), qPrintable(script.Failure));
        QVERIFY2(told.endsWith(QDir::toNativeSeparators(OpenedUrls[0].toLocalFile())),
                 qPrintable(told));
    }

    void AboutShowsNameAndVersion() {
        TModalScript script;
        QString product;
        QString version;
        script.Then<TAboutForm>([&](TAboutForm* about) {
            product = about->ProductLabel->text();
            version = about->VersionLabel->text();
            about->accept();
        });
        Form->AboutMenuItem->trigger();
        QVERIFY2(script.Finished(), qPrintable(script.Failure));
        QCOMPARE(product, QString("Tavimor"));
        QCOMPARE(version, QString("Version ") + TAVIMOR_VERSION);
    }

    // Shift+F1 works although its menu item is hidden, and restarts the trace
    // in the file.
    void DebugKeyStartsAFileTrace() {
        QTemporaryDir folder;
        TDebugDevice::SetFileFolder(folder.path().toStdString() + "/");
        QVERIFY(!Form->DebugMenuItem->isVisible());
        Form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Form));
        TModalScript script;
        QString text;
        QString where;
        QString title = "unset";
        script.Then<QMessageBox>([&](QMessageBox* box) {
            text = box->text();
            where = box->informativeText();
            title = box->windowTitle();
            box->accept();
        });
        QTest::keyClick(Form, Qt::Key_F1, Qt::ShiftModifier);
        QTRY_VERIFY(script.Finished());
        QCOMPARE(text, QString("Debug session started"));
        QCOMPARE(where, "The trace goes to " + QDir::toNativeSeparators(
                                                   QDir::cleanPath(folder.filePath("Debug.txt"))));
        QVERIFY(title.isEmpty());
        TDebugDevice::Close();
        TDebugDevice::SetFileFolder({});
        QFile trace(folder.filePath("Debug.txt"));
        QVERIFY(trace.open(QIODevice::ReadOnly));
        QVERIFY(trace.readAll().contains("* Start of debug session *"));
    }

    // The panels catch up with the state whenever the program falls idle.
    void IdleUpdatesTheStatusBar() {
        Form->SelStart = 7;
        Form->SelEnd = 9;
        Form->HasSelection = true;
        // An event loop that waits for events, as the program's does, until
        // the panel shows the range: how soon it falls idle depends on the
        // machine's load.
        const QString range("range:7 - 9");
        QEventLoop loop;
        QTimer look;
        connect(&look, &QTimer::timeout, &loop, [&] {
            if (Form->StatusPanels->Text(4) == range) {
                loop.quit();
            }
        });
        look.start(10);
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        QCOMPARE(Form->StatusPanels->Text(4), range);
    }

    // What the engine warns of, and an exception that escapes a command,
    // reach the user in a message box; the program goes on.
    void WarningsAndEscapedErrorsAreShown() {
        TModalScript script;
        QStringList seen;
        const auto note = [&](QMessageBox* box) {
            seen << box->windowTitle() + "|" + box->text();
            box->accept();
        };
        script.Then<QMessageBox>(note).Then<QMessageBox>(note);
        Form->ShowWarning("Wavesample is too big", mcEmpty);
        QTimer::singleShot(0, Form, [] { throw EMidiError("error: Unable to close Midiout"); });
        QTRY_VERIFY(script.Finished());
        QCOMPARE(seen,
                 QStringList({"|Wavesample is too big", "Tavimor|error: Unable to close Midiout"}));
        QVERIFY(Form->isVisible());
    }

private:
    static void ChooseCopy(TOpenWaveForm* browser) {
        browser->InstrumentListBox->setCurrentRow(0);
        browser->WaveSampleListBox->setCurrentRow(1);
        browser->OkButton->click();
    }

    void Select(std::int32_t first, std::int32_t last) {
        Form->SelStart = first;
        Form->SelEnd = last;
        Form->HasSelection = true;
        Form->UpdateCommands();
    }

    std::int32_t ModelAddress(int instrument, int waveSample, std::size_t word) {
        std::int32_t address = 0;
        Fixture->Sampler->Sampler().Inspect([&](TSamplerModel& memory) {
            address = static_cast<std::int32_t>(
                memory.Instrument(instrument)->WaveSample(waveSample)->Address(word));
        });
        return address;
    }

    // Every command of the menus and the tool bar.
    std::vector<QObject*> Commands() const {
        std::vector<QObject*> commands = {Form->OpenWavesampleMenuItem,
                                          Form->CloseWavesampleMenuItem,
                                          Form->DownloadMenuItem,
                                          Form->UploadMenuItem,
                                          Form->BackUpInstrumentMenuItem,
                                          Form->RestoreInstrumentMenuItem,
                                          Form->ExitMenuItem,
                                          Form->ClearDataMenuItem,
                                          Form->ReverseDataMenuItem,
                                          Form->ScaleDataMenuItem,
                                          Form->NormalizeGainMenuItem,
                                          Form->FadeInMenuItem,
                                          Form->FadeOutMenuItem,
                                          Form->SetSampleStartMenuItem,
                                          Form->SetSampleEndMenuItem,
                                          Form->SetLoopStartMenuItem,
                                          Form->SetLoopEndMenuItem,
                                          Form->SetPlaybackModeMenuItem,
                                          Form->PreferencesMenuItem,
                                          Form->ZoomInMenuItem,
                                          Form->ZoomOutMenuItem,
                                          Form->ShowAllMenuItem,
                                          Form->ContentsMenuItem,
                                          Form->HomepageMenuItem,
                                          Form->AboutMenuItem,
                                          Form->SetWaveStartButton,
                                          Form->SetWaveEndButton,
                                          Form->SetLoopStartButton,
                                          Form->SetLoopEndButton,
                                          Form->FadeInButton,
                                          Form->ScaleButton,
                                          Form->FadeOutButton,
                                          Form->ZoomInButton,
                                          Form->ZoomOutButton,
                                          Form->ShowAllButton};
        commands.insert(commands.end(), Form->ScaleMenuItems.begin(), Form->ScaleMenuItems.end());
        commands.insert(commands.end(), Form->ScaleButtons.begin(), Form->ScaleButtons.end());
        return commands;
    }

    static bool IsEnabled(QObject* command) {
        if (auto* item = qobject_cast<QAction*>(command)) {
            return item->isEnabled();
        }
        return qobject_cast<QWidget*>(command)->isEnabled();
    }

    // Exactly these commands depend on the state and are enabled.
    void ExpectEnabled(std::set<QObject*> enabled) {
        for (QObject* command :
             {Form->OpenWavesampleMenuItem, Form->DownloadMenuItem, Form->UploadMenuItem,
              Form->BackUpInstrumentMenuItem, Form->RestoreInstrumentMenuItem, Form->ExitMenuItem,
              Form->PreferencesMenuItem, Form->ContentsMenuItem, Form->HomepageMenuItem,
              Form->AboutMenuItem}) {
            enabled.insert(command);
        }
        enabled.insert(Form->ScaleMenuItems.begin(), Form->ScaleMenuItems.end());
        enabled.insert(Form->ScaleButtons.begin(), Form->ScaleButtons.end());
        for (QObject* command : Commands()) {
            QVERIFY2(IsEnabled(command) == (enabled.count(command) == 1),
                     qPrintable(command->objectName() + " " +
                                (qobject_cast<QAction*>(command)
                                     ? qobject_cast<QAction*>(command)->text()
                                     : qobject_cast<QWidget*>(command)->toolTip())));
        }
    }

    void ExpectZoomed() {
        QVERIFY(Form->ZoomOutMenuItem->isEnabled());
        QVERIFY(Form->ShowAllMenuItem->isEnabled());
        QVERIFY(Form->ZoomOutButton->isEnabled());
        QVERIFY(Form->ShowAllButton->isEnabled());
        Select(0, 0);
        // One sample per point: nothing to zoom into.
        QVERIFY(!Form->ZoomInMenuItem->isEnabled());
        QVERIFY(!Form->ZoomInButton->isEnabled());
        Form->HasSelection = false;
    }

    std::unique_ptr<TAppFixture> Fixture;
    TMainForm* Form = nullptr;
    std::vector<QUrl> OpenedUrls;
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    TCommandsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "CommandsTest.moc"
