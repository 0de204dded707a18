// The main window: a menu bar, a tool bar of speed buttons, the wave area and
// a status bar of five position panels and the wavesample's figures. It owns
// the protocol engine, answers the engine's calls back (busy indicator,
// command enabling, redraw, the connection dialog and warnings), takes sound
// files dropped on it and keeps the settings between runs.
#pragma once

#include <QMainWindow>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>

#include "app/SavedDevices.h"
#include "eps/Eps.h"
#include "transfer/TransferFrontEnd.h"
#include "wave/WaveViewState.h"

class QAction;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QMimeData;
class QLabel;
class QMenu;
class QScrollBar;
class QStatusBar;
class QToolButton;
class TAboutForm;
class TBusyIndicator;
class TGotoPrefForm;
class TNoEpsForm;
class TOpenWaveForm;
class TPBModeForm;
class TPreferencesForm;
class TScaleDataForm;
class TSettingsKey;
class TStatusForm;
class TStatusPanels;
class TWaveArea;
class TWaveBox;
class TWaveCommands;
class TWaveView;
class TWsIsCopyForm;

// The dialogs the main window shows. They are created after it, so it learns
// of them once they exist.
struct TMainFormDialogs {
    TAboutForm* AboutForm = nullptr;
    TStatusForm* StatusForm = nullptr;
    TOpenWaveForm* OpenWaveForm = nullptr;
    TPBModeForm* PBModeForm = nullptr;
    TPreferencesForm* PreferencesForm = nullptr;
    TScaleDataForm* ScaleDataForm = nullptr;
    TNoEpsForm* NoEpsForm = nullptr;
    TGotoPrefForm* GotoPrefForm = nullptr;
    TWsIsCopyForm* WsIsCopyForm = nullptr;
};

// The vertical scale and the selection of the wave view are the window's own
// state (TWaveViewState); the wave view and its commands act on them.
class TMainForm : public QMainWindow, public TEpsOwner, public TEpsDialogs, public TWaveViewState {
    Q_OBJECT

public:
    static constexpr int ScaleCount = 9;

    // firstArgument: the program's first command-line argument, which may
    // choose the medium of the debug trace.
    explicit TMainForm(const QString& firstArgument = {});
    ~TMainForm() override;

    void SetDialogs(const TMainFormDialogs& dialogs);

    std::unique_ptr<TEps> Eps;
    // The folder last used for WAVE files.
    QString UploadDownloadPath;
    // The upload's file dialog choice: the file's samples go in as they
    // are, at the nearest period, rather than converted to play at its
    // pitch.
    bool KeepUploadRate = false;
    int BusyCount = 0;
    // The wave area's drawing, mouse, zoom and scroll, and the edit and
    // marker commands on the selection.
    std::unique_ptr<TWaveView> WaveView;
    std::unique_ptr<TWaveCommands> WaveCommands;

    // The engine's calls back.
    void BeginBusy() override;
    void EndBusy() override;
    // Serves the window's events while the engine waits; false once the
    // user has cancelled the wait.
    bool ContinueWaiting() override;
    void UpdateCommands() override;
    void UpdateView() override;
    TModalResult ShowConnectionFailure(NoEpsReason reason) override;
    void ShowWarning(std::string_view text, TMessageCaption caption) override;
    bool AskEditWithoutUndo() override;

    void UpdateStatusBar();
    void UpdateUndoCommands();
    QString TitleText() const;
    // The guidance over the empty wave area.
    void ShowStartLabel(bool shown);
    // n is the exponent 0..8 of the scales "1:1" .. "1:256".
    void SetVerticalScale(int n);
    void SetRulerUnit(TRulerUnit unit);
    void SetLook(TWaveLook look);
    void ClearSelection();
    // The open wavesample's playback mode plays a loop.
    bool InLoopMode() const;
    // A download or upload is talking to the sampler.
    bool TransferRunning() const;
    // A marker is being dragged in the wave area.
    bool MarkerHeld() const;
    // Opens wavesample waveSample (1..127) of instrument (0..7) as the Open
    // command does once the browser has been answered. True when it opened.
    bool OpenWavesampleAt(int instrument, int waveSample);
    // After a transfer: the wavesample it set aside opens again as it was,
    // with its view, selection and undo history, unless the transfer wrote
    // into it; then it opens afresh. A sampler that fell silent is not asked.
    void TakeUpWavesample(const TTransferReport& report, bool written);
    // After an upload into another wavesample than the one open: opens it,
    // asking first when another was open.
    void OfferUploaded(int instrument, int waveSample, bool otherOpen);

    // The section and value that record that the welcome has been shown.
    static const QString FirstStartSection;
    static const QString FirstStartValue;
    // The drive part of a folder ("C:"), upper-cased; empty without one.
    static QString DrivePart(const QString& folder);
    static QString HomepageAddress();

    // Command handlers.
    void OpenWavesampleClick();
    void CloseWavesampleClick();
    void DownloadClick();
    void UploadClick();
    // The Upload command with file taken as the file dialog's answer, which
    // is not shown; the browser still asks for the target.
    void UploadFile(const QString& file);
    void BackUpInstrumentClick();
    void RestoreInstrumentClick();
    void ExitClick();
    void ScaleDataClick();
    void SetPlaybackModeClick();
    void PreferencesClick();
    void GotoPrefClick();
    void ContentsClick();
    void HomepageMenuItemClick();
    void AboutMenuItemClick();
    void DebugMenuItemClick();
    void StatusBarMouseDown(Qt::MouseButton button, int x, int y);
    void AppHint(const QString& hint);
    void AppIdle();

    // File menu.
    QAction* OpenWavesampleMenuItem = nullptr;
    QAction* CloseWavesampleMenuItem = nullptr;
    QAction* DownloadMenuItem = nullptr;
    QAction* UploadMenuItem = nullptr;
    QAction* BackUpInstrumentMenuItem = nullptr;
    QAction* RestoreInstrumentMenuItem = nullptr;
    QAction* ExitMenuItem = nullptr;
    // Edit menu.
    QAction* UndoMenuItem = nullptr;
    QAction* RedoMenuItem = nullptr;
    QAction* ClearDataMenuItem = nullptr;
    QAction* ReverseDataMenuItem = nullptr;
    QAction* ScaleDataMenuItem = nullptr;
    QAction* NormalizeGainMenuItem = nullptr;
    QAction* FadeInMenuItem = nullptr;
    QAction* FadeOutMenuItem = nullptr;
    QAction* SelectAllMenuItem = nullptr;
    QAction* SetSampleStartMenuItem = nullptr;
    QAction* SetSampleEndMenuItem = nullptr;
    QAction* SetLoopStartMenuItem = nullptr;
    QAction* SetLoopEndMenuItem = nullptr;
    QAction* SetPlaybackModeMenuItem = nullptr;
    QAction* PreferencesMenuItem = nullptr;
    QAction* GotoPrefMenuItem = nullptr;
    // View menu; the scales in menu order, "1:256" first.
    QMenu* ViewMenu = nullptr;
    QAction* VerticalScaleMenuItem = nullptr;
    std::array<QAction*, ScaleCount> ScaleMenuItems{};
    QAction* ZoomInMenuItem = nullptr;
    QAction* ZoomOutMenuItem = nullptr;
    QAction* ShowAllMenuItem = nullptr;
    // View > Ruler and View > Colours.
    QAction* RulerSamplesMenuItem = nullptr;
    QAction* RulerTimeMenuItem = nullptr;
    QAction* ClassicColoursMenuItem = nullptr;
    QAction* ThemeColoursMenuItem = nullptr;
    // Help menu.
    QAction* ContentsMenuItem = nullptr;
    QAction* HomepageMenuItem = nullptr;
    QAction* AboutMenuItem = nullptr;
    QAction* DebugMenuItem = nullptr;

    // Tool bar, left to right; the scale buttons "1:256" first.
    QWidget* TopPanel = nullptr;
    std::array<QToolButton*, ScaleCount> ScaleButtons{};
    QToolButton* SetWaveStartButton = nullptr;
    QToolButton* SetWaveEndButton = nullptr;
    QToolButton* SetLoopStartButton = nullptr;
    QToolButton* SetLoopEndButton = nullptr;
    QToolButton* FadeInButton = nullptr;
    QToolButton* ScaleButton = nullptr;
    QToolButton* FadeOutButton = nullptr;
    QToolButton* UndoButton = nullptr;
    QToolButton* RedoButton = nullptr;
    QToolButton* ZoomInButton = nullptr;
    QToolButton* ZoomOutButton = nullptr;
    QToolButton* ShowAllButton = nullptr;

    // The wave area and the status bar.
    TWaveArea* WaveScrollBox = nullptr;
    TWaveBox* WaveBox = nullptr;
    // Over the wave area while no wavesample is open: where to start.
    QLabel* StartLabel = nullptr;
    QScrollBar* ScrollBar = nullptr;
    QStatusBar* StatusBar = nullptr;
    TStatusPanels* StatusPanels = nullptr;
    // Beside the position panels: the open wavesample's rate, length and
    // duration, and the selection's length and duration.
    QLabel* FiguresPanel = nullptr;
    // At the right of the status bar while the window is busy.
    TBusyIndicator* BusyIndicator = nullptr;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // A sound file dropped on the window is uploaded; anything else is
    // refused while it is dragged over.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CreateMenus();
    void CreateFileMenu();
    void CreateEditMenu();
    void CreateViewMenu();
    void CreateHelpMenu();
    void CreateLookMenus();
    void CreateTopPanel();
    void CreateWaveArea();
    void CreateStartLabel();
    void CreateStatusBar();
    void CreateWaveView();
    QMenu* AddMenu(const QString& caption, const QString& hint);
    QAction* AddItem(QMenu* menu, const QString& caption, const QString& hint);
    void AddSeparator(QMenu* menu);
    QToolButton* AddSpeedButton(const QString& hint, int size);

    void FormCreate(const QString& firstArgument);
    void ReadSettings();
    void FormShow();
    void FormClose();
    void WriteSettings();
    void ReadLookSettings(TSettingsKey& key);
    void WriteLookSettings(TSettingsKey& key) const;

    // Opens the engine's current wavesample, offering the original when it
    // is a parameters-only copy.
    bool OpenChosenWavesample();
    void ZoomToMarker(std::int32_t sample);
    QString FiguresText() const;
    // The one local file a drop carries that the upload reads; empty for
    // any other drop, and while the window is busy.
    QString DroppedSoundFile(const QMimeData* data) const;
    // The hint of the menu separator under the mouse, if it is over one.
    static QString SeparatorHintUnderMouse();

    TMainFormDialogs Dialogs;
    // The MIDI devices of the settings, found again by their names.
    TSavedDevices SavedDevices;
    bool Shown = false;
};
