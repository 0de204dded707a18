// The main window's commands, the rule that enables them from the program's
// state, and the status bar that shows the markers, the selection and hints.
#include "app/MainForm.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QScrollBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolButton>
#include <QUrl>

#include "app/AboutForm.h"
#include "app/HelpFile.h"
#include "app/SettingsKey.h"
#include "app/StatusPanels.h"
#include "debug/DebugDevice.h"
#include "dialogs/GotoPrefForm.h"
#include "dialogs/OpenWaveForm.h"
#include "dialogs/SampleFigures.h"
#include "dialogs/WsIsCopyForm.h"
#include "eps/Names.h"
#include "midi/PreferencesForm.h"
#include "transfer/WaveFile.h"
#include "wave/LoopMode.h"
#include "wave/WaveColours.h"
#include "wave/WaveView.h"

namespace {

// Half the exact view that a click on a marker's panel shows around it.
constexpr std::int32_t MarkerHalfView = ViewPointCount / 2;

void Enable(std::initializer_list<QAction*> items, std::initializer_list<QToolButton*> buttons,
            bool enabled) {
    for (QAction* item : items) {
        item->setEnabled(enabled);
    }
    for (QToolButton* button : buttons) {
        button->setEnabled(enabled);
    }
}

} // namespace

bool TMainForm::InLoopMode() const {
    return IsLoopMode(*Eps);
}

bool TMainForm::TransferRunning() const {
    return Eps->DownloadState != 0 || Eps->UploadState != 0;
}

bool TMainForm::MarkerHeld() const {
    return WaveView->Markers.Held().has_value();
}

// A marker held by the mouse stands where the mouse has it in the engine's
// parameter block only, for the picture. A command in the middle of the drag
// would send the block so to the sampler or go by it, and the marker put
// back afterwards would leave the window and the sampler apart: the commands
// that talk to the sampler, or change the selection, wait for the drag.
void TMainForm::UpdateCommands() {
    const bool free = !MarkerHeld();
    Enable({OpenWavesampleMenuItem, DownloadMenuItem, UploadMenuItem, BackUpInstrumentMenuItem,
            RestoreInstrumentMenuItem},
           {}, free);
    const bool open = Eps->WaveSampleOpen && free;
    const bool selected = open && HasSelection;
    Enable({CloseWavesampleMenuItem, NormalizeGainMenuItem, SetPlaybackModeMenuItem,
            SelectAllMenuItem},
           {}, open);
    Enable({ClearDataMenuItem, FadeInMenuItem, FadeOutMenuItem, ReverseDataMenuItem,
            ScaleDataMenuItem, SetSampleStartMenuItem, SetSampleEndMenuItem},
           {FadeInButton, FadeOutButton, ScaleButton, SetWaveStartButton, SetWaveEndButton},
           selected);
    Enable({SetLoopStartMenuItem, SetLoopEndMenuItem}, {SetLoopStartButton, SetLoopEndButton},
           selected && InLoopMode());
    Enable({ZoomInMenuItem}, {ZoomInButton}, selected && Eps->SamplesPerPoint > 1);
    Enable({ZoomOutMenuItem, ShowAllMenuItem}, {ZoomOutButton, ShowAllButton}, open && Eps->Zoomed);
    ShowStartLabel(!Eps->WaveSampleOpen);
    UpdateUndoCommands();
    UpdateStatusBar();
    setWindowTitle(TitleText());
}

// Written dark on a light empty area and light on a dark one, in either
// look.
void TMainForm::ShowStartLabel(bool shown) {
    const bool dark = TWaveColours::Of(Look).ClosedBackground.lightness() < 128;
    QPalette palette = StartLabel->palette();
    palette.setColor(QPalette::WindowText, dark ? Qt::white : Qt::black);
    StartLabel->setPalette(palette);
    StartLabel->setVisible(shown);
}

// "Piano C4 — Grand Piano — Tavimor" while a wavesample is open.
QString TMainForm::TitleText() const {
    if (!Eps->WaveSampleOpen) {
        return QStringLiteral("Tavimor");
    }
    const std::span<const std::int32_t, NameWords> name(Eps->WaveSampleParameters.data(),
                                                        NameWords);
    const std::string& instrument =
        Eps->InstrumentName[static_cast<std::size_t>(Eps->OpenInstrument)];
    QString title = QString::fromStdString(NameAsUtf8(DecodeName(name)));
    if (!instrument.empty()) {
        title += QString::fromUtf8(" \u2014 ") + QString::fromStdString(NameAsUtf8(instrument));
    }
    return title + QString::fromUtf8(" \u2014 Tavimor");
}

// The items name what they would undo or redo.
void TMainForm::UpdateUndoCommands() {
    const TEditHistory& history = Eps->History;
    const bool idle = Eps->WaveSampleOpen && !TransferRunning() && !MarkerHeld();
    const auto caption = [](const char* command, const std::string& step) {
        return step.empty() ? QString(command) : command + (" " + QString::fromStdString(step));
    };
    UndoMenuItem->setText(caption("&Undo", history.UndoName()));
    RedoMenuItem->setText(caption("&Redo", history.RedoName()));
    Enable({UndoMenuItem}, {UndoButton}, idle && history.CanUndo());
    Enable({RedoMenuItem}, {RedoButton}, idle && history.CanRedo());
}

void TMainForm::UpdateStatusBar() {
    const bool open = Eps->WaveSampleOpen;
    const bool loop = open && InLoopMode();
    const auto address = [this](const char* prefix, int first, bool applies) {
        return applies ? prefix + QString::number(Eps->GetSampleAddress(first)) : QString();
    };
    StatusPanels->SetText(0, address("ws:", wpSampleStart, open));
    StatusPanels->SetText(1, address("we:", wpSampleEnd, open));
    StatusPanels->SetText(2, address("ls:", wpLoopStart, loop));
    StatusPanels->SetText(3, address("le:", wpLoopEnd, loop));
    StatusPanels->SetText(4, HasSelection ? QString("range:%1 - %2").arg(SelStart).arg(SelEnd)
                                          : QString());
    if (const QString figures = FiguresText(); FiguresPanel->text() != figures) {
        FiguresPanel->setText(figures);
    }
}

// "31250 Hz, 399 samples, 0.013 s; selected 100 samples, 0.003 s".
QString TMainForm::FiguresText() const {
    if (!Eps->WaveSampleOpen) {
        return {};
    }
    const auto rate =
        PeriodToRate(static_cast<std::uint32_t>(Eps->WaveSampleParameters[wpSamplingPeriod]));
    const std::int64_t samples = SampleCountOf(Eps->WaveSampleParameters);
    QString text = QString("%1 Hz, %2, %3")
                       .arg(rate)
                       .arg(SampleCountText(samples), DurationText(samples, rate));
    if (HasSelection) {
        const std::int64_t selected = Selection().Count();
        text += QString("; selected %1, %2")
                    .arg(SampleCountText(selected), DurationText(selected, rate));
    }
    return text;
}

bool TMainForm::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        AppHint(tip.isEmpty() ? SeparatorHintUnderMouse() : tip);
        return true;
    }
    return QMainWindow::event(event);
}

// A menu takes the highlight off its items when the mouse reaches a
// separator, and clears the hint; the separator's own hint (a blank) is the
// one that applies there.
QString TMainForm::SeparatorHintUnderMouse() {
    const auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) {
        return {};
    }
    const QAction* under = menu->actionAt(menu->mapFromGlobal(QCursor::pos()));
    return under != nullptr && under->isSeparator() ? under->statusTip() : QString();
}

// A hint replaces the panels by one line of text; without one the panels
// return.
void TMainForm::AppHint(const QString& hint) {
    if (hint.isEmpty()) {
        StatusBar->clearMessage();
    } else {
        StatusBar->showMessage(hint);
    }
}

void TMainForm::AppIdle() {
    UpdateStatusBar();
}

void TMainForm::StatusBarMouseDown(Qt::MouseButton, int x, int) {
    const std::optional<int> panel = StatusPanels->PanelAt(x);
    if (!panel || !Eps->WaveSampleOpen) {
        return;
    }
    switch (*panel) {
    case 0:
        ZoomToMarker(Eps->GetSampleAddress(wpSampleStart));
        break;
    case 1:
        ZoomToMarker(Eps->GetSampleAddress(wpSampleEnd));
        break;
    case 2:
    case 3:
        if (InLoopMode()) {
            ZoomToMarker(Eps->GetSampleAddress(*panel == 2 ? wpLoopStart : wpLoopEnd));
        }
        break;
    default:
        break;
    }
}

// The exact view of 512 samples around the marker, kept inside the
// wavesample near its ends.
void TMainForm::ZoomToMarker(std::int32_t sample) {
    HasSelection = false;
    UpdateCommands();
    Eps->SetViewEnd(sample + MarkerHalfView);
    Eps->SetViewStart(sample - MarkerHalfView);
    Eps->RefreshView();
    UpdateView();
}

void TMainForm::UpdateView() {
    WaveView->UpdateView();
}

void TMainForm::SetVerticalScale(int n) {
    VScale = n;
    const int index = 8 - n;
    ScaleMenuItems.at(index)->setChecked(true);
    ScaleButtons.at(index)->setChecked(true);
    UpdateView();
}

void TMainForm::ClearSelection() {
    WaveView->Selection.Clear();
}

// The open wavesample stays open until another is chosen: a user who
// cancels the browser keeps it, with its selection.
bool TMainForm::OpenChosenWavesample() {
    ClearSelection();
    TOpenResult result = Eps->OpenWavesample(true);
    if (result == orCopy) {
        const int original = HighByte(Eps->WaveSampleParameters[wpCopyOf]);
        if (Dialogs.WsIsCopyForm->Execute(original) == mrOk) {
            Eps->WaveSample = original;
            result = Eps->OpenWavesample(true);
        }
    }
    if (result != orOpened) {
        return false;
    }
    UpdateView();
    return true;
}

// Until a wavesample opens, the browser comes back; Cancel there gives up.
void TMainForm::OpenWavesampleClick() {
    if (!Eps->CheckConnection()) {
        return;
    }
    while (Dialogs.OpenWaveForm->Execute(owOpen) == mrOk) {
        if (OpenChosenWavesample()) {
            return;
        }
    }
}

bool TMainForm::OpenWavesampleAt(int instrument, int waveSample) {
    if (!Eps->CheckConnection()) {
        return false;
    }
    Eps->LookUpInstrument(instrument);
    Eps->Instrument = instrument;
    Eps->WaveSample = waveSample;
    return OpenChosenWavesample();
}

void TMainForm::CloseWavesampleClick() {
    Eps->CloseWavesample();
    ClearSelection();
}

void TMainForm::ExitClick() {
    close();
}

void TMainForm::PreferencesClick() {
    Dialogs.PreferencesForm->Execute();
}

// Reached once, on the first start. The welcome counts as given as soon as
// it is on screen.
void TMainForm::GotoPrefClick() {
    TSettingsKey().WriteInteger(FirstStartSection, FirstStartValue, 1);
    Dialogs.GotoPrefForm->Execute();
}

void TMainForm::ContentsClick() {
    THelpFile::ShowContents();
}

QString TMainForm::HomepageAddress() {
    return QStringLiteral("https://tavimor.org");
}

void TMainForm::HomepageMenuItemClick() {
    if (!QDesktopServices::openUrl(QUrl(HomepageAddress()))) {
        DebugWriteLn(DebugDevice, "Can't execute internet browser");
    }
}

void TMainForm::AboutMenuItemClick() {
    Dialogs.AboutForm->exec();
}

// Starts a trace into the file beside the program without a restart, and
// says where the file is, since an installed program's folder cannot hold it.
void TMainForm::DebugMenuItemClick() {
    TDebugDevice::Close();
    TDebugDevice::SetMedia(dmFile);
    TDebugDevice::Open();
    QMessageBox box(QMessageBox::Information, QString(), "Debug session started", QMessageBox::Ok,
                    this);
    const QString file = QString::fromStdString(TDebugDevice::FilePath());
    box.setInformativeText(file.isEmpty() ? QString("No file could be written for the trace.")
                                          : "The trace goes to " + QDir::toNativeSeparators(file));
    box.exec();
}
