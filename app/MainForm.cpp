// The main window's life: construction, start-up, first show and close, the
// settings kept between runs, and the engine's calls back.
#include "app/MainForm.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>

#include "app/Application.h"
#include "app/BusyIndicator.h"
#include "app/SettingsKey.h"
#include "debug/DebugDevice.h"
#include "dialogs/DestructiveQuestion.h"
#include "dialogs/NoEpsForm.h"
#include "wave/WaveCommands.h"
#include "wave/WaveView.h"

namespace {

const QString MainFormSection = QStringLiteral("MainForm");
const QString PreferencesSection = QStringLiteral("Preferences");

// The window state as the settings number it: 0 normal, 1 minimized,
// 2 maximized.
enum TWindowStateNumber { wsNormal = 0, wsMinimized = 1, wsMaximized = 2 };

Qt::WindowStates WindowStateOf(int number) {
    switch (number) {
    case wsMinimized:
        return Qt::WindowMinimized;
    case wsMaximized:
        return Qt::WindowMaximized;
    default:
        return Qt::WindowNoState;
    }
}

// While the engine waits for the sampler the hourglass and the waiting strip
// show; a dialog it opens in between must get the ordinary pointer back and
// the strip set aside, or the user would think the dialog busy too.
class TDialogCursor {
public:
    TDialogCursor(bool busy, TBusyIndicator& indicator) : Busy(busy) {
        if (Busy) {
            QApplication::setOverrideCursor(Qt::ArrowCursor);
            indicator.SetAside();
        }
    }
    ~TDialogCursor() {
        if (Busy) {
            QApplication::restoreOverrideCursor();
        }
    }
    TDialogCursor(const TDialogCursor&) = delete;
    TDialogCursor& operator=(const TDialogCursor&) = delete;

private:
    bool Busy;
};

} // namespace

const QString TMainForm::FirstStartSection = MainFormSection;
const QString TMainForm::FirstStartValue = QStringLiteral("WelcomeShown");

TMainForm::TMainForm(const QString& firstArgument) {
    setWindowTitle("Tavimor");
    CreateMenus();
    CreateTopPanel();
    CreateWaveArea();
    CreateStatusBar();
    setAcceptDrops(true);
    UploadDownloadPath.clear();
    Eps = std::make_unique<TEps>(this, this);
    CreateWaveView();
    // A widget keeps the mouse from a press to the release by itself, also
    // outside its bounds, as dragging a selection needs.
    try {
        FormCreate(firstArgument);
    } catch (const std::exception& error) {
        TApplication::ShowException(error);
    }
}

TMainForm::~TMainForm() = default;

void TMainForm::SetDialogs(const TMainFormDialogs& dialogs) {
    Dialogs = dialogs;
}

void TMainForm::FormCreate(const QString& firstArgument) {
    if (const auto failure = ConfigureDebugDevice(firstArgument.toStdString())) {
        TApplication::ShowException(*failure);
    }
    ReadSettings();
    // AppHint is reached through event(), which receives the hints.
    // ScrollBar already lies at the bottom of WaveScrollBox.
    for (int i = 0; i < ScaleCount; ++i) {
        ScaleMenuItems.at(i)->setShortcut(QKeySequence(Qt::CTRL | (Qt::Key_1 + i)));
    }
    UpdateCommands();
    SetVerticalScale(8);
    if (auto* dispatcher = QAbstractEventDispatcher::instance()) {
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TMainForm::AppIdle);
    }
}

void TMainForm::ReadSettings() {
    TSettingsKey key;
    ReadLookSettings(key);
    setGeometry(key.ReadInteger(MainFormSection, "Left", 128),
                key.ReadInteger(MainFormSection, "Top", 113),
                key.ReadInteger(MainFormSection, "Width", 661),
                key.ReadInteger(MainFormSection, "Height", 435));
    setWindowState(WindowStateOf(key.ReadInteger(MainFormSection, "WindowState", wsMaximized)));
    // The ports open on first use, with these devices.
    SavedDevices.Read(key, *Eps);
    Eps->MidiOut->SetChannel(key.ReadInteger(PreferencesSection, "Channel", 1));
    Eps->SetBlockSize(key.ReadInteger(PreferencesSection, "BlockSize", MinBlockSize));
    Eps->SetDelay(key.ReadInteger(PreferencesSection, "Delay", 0));
    UploadDownloadPath = key.ReadString(PreferencesSection, "UploadDownloadPath", {});
    KeepUploadRate = key.ReadInteger(PreferencesSection, "KeepUploadRate", 0) != 0;
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!Shown) {
        Shown = true;
        FormShow();
    }
}

// On the first start the welcome opens once the main window is on screen:
// its command is queued behind the events that show the window.
void TMainForm::FormShow() {
    if (TSettingsKey().ReadInteger(FirstStartSection, FirstStartValue, 0) == 0) {
        QMetaObject::invokeMethod(GotoPrefMenuItem, &QAction::trigger, Qt::QueuedConnection);
    }
    // Rather than another device quietly taking its place.
    if (const QString missing = SavedDevices.MissingText(); !missing.isEmpty()) {
        QMetaObject::invokeMethod(
            this, [this, missing] { QMessageBox::warning(this, "MIDI Device Missing", missing); },
            Qt::QueuedConnection);
    }
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // A disabled window still takes its close box. Closing the wavesample
    // in the middle of a transfer would cut into its conversation with the
    // sampler; the progress window's Cancel ends the transfer first.
    if (TransferRunning()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TMainForm::FormClose() {
    // A marker on its way holds a position the user has not let go of; the
    // wavesample's parameters go back without it.
    WaveView->Markers.Cancel();
    // A port failing while the wavesample closes must not cost the user the
    // settings nor keep the program from ending.
    try {
        Eps->CloseWavesample();
    } catch (const std::exception& error) {
        TApplication::ShowException(error);
    }
    WriteSettings();
}

void TMainForm::WriteSettings() {
    TSettingsKey key;
    WriteLookSettings(key);
    const int state = isMinimized() ? wsMinimized : isMaximized() ? wsMaximized : wsNormal;
    key.WriteInteger(MainFormSection, "WindowState", state);
    // A maximized or minimized window keeps the bounds it had when normal.
    if (state == wsNormal) {
        key.WriteInteger(MainFormSection, "Left", geometry().left());
        key.WriteInteger(MainFormSection, "Top", geometry().top());
        key.WriteInteger(MainFormSection, "Width", geometry().width());
        key.WriteInteger(MainFormSection, "Height", geometry().height());
    }
    SavedDevices.Write(key, *Eps);
    key.WriteInteger(PreferencesSection, "KeepUploadRate", KeepUploadRate ? 1 : 0);
    key.WriteInteger(PreferencesSection, "Channel", Eps->MidiOut->Channel());
    key.WriteInteger(PreferencesSection, "BlockSize", Eps->BlockSize());
    key.WriteInteger(PreferencesSection, "Delay", Eps->Delay());
    // A folder on a floppy drive is gone next time; the one before stays.
    const QString drive = DrivePart(UploadDownloadPath);
    if (drive != "A:" && drive != "B:") {
        key.WriteString(PreferencesSection, "UploadDownloadPath", UploadDownloadPath);
    }
}

QString TMainForm::DrivePart(const QString& folder) {
    const bool hasDrive = folder.size() >= 2 && folder.at(1) == ':' && folder.at(0).isLetter();
    return hasDrive ? folder.left(2).toUpper() : QString();
}

// A wait that keeps the user's input tells so by its pointer.
void TMainForm::BeginBusy() {
    if (BusyCount++ == 0) {
        QApplication::setOverrideCursor(BusyIndicator->KeepsInput() ? Qt::BusyCursor
                                                                    : Qt::WaitCursor);
        BusyIndicator->Start();
    }
}

void TMainForm::EndBusy() {
    if (BusyCount > 0 && --BusyCount == 0) {
        BusyIndicator->Stop();
        QApplication::restoreOverrideCursor();
    }
}

// The window repaints and takes the Cancel; the indicator refuses the rest
// of the user's input.
bool TMainForm::ContinueWaiting() {
    QCoreApplication::processEvents();
    return !BusyIndicator->Cancelled();
}

TModalResult TMainForm::ShowConnectionFailure(NoEpsReason reason) {
    TDialogCursor cursor(BusyCount > 0, *BusyIndicator);
    return Dialogs.NoEpsForm->Execute(reason);
}

// No is the default: a key pressed by habit keeps the data.
bool TMainForm::AskEditWithoutUndo() {
    TDialogCursor cursor(BusyCount > 0, *BusyIndicator);
    return AskDestructive(this,
                          "There is no room in the sampler to keep a copy for undo: this edit "
                          "cannot be undone, nor the edits before it.\n\nEdit anyway?",
                          "Edit Anyway");
}

void TMainForm::ShowWarning(std::string_view text, TMessageCaption caption) {
    TDialogCursor cursor(BusyCount > 0, *BusyIndicator);
    const QString title = caption == mcEmpty ? QString() : QApplication::applicationDisplayName();
    QMessageBox::warning(this, title, QString::fromLatin1(text.data(), qsizetype(text.size())));
}
