// The main window's wave area: the wave view that draws and zooms it, and
// the commands of the Edit and View menus, the tool bar and the keys that
// act on the selection and the view window.
#include <QAction>
#include <QKeyEvent>
#include <QToolButton>

#include "app/MainForm.h"
#include "wave/PlaybackModeCommand.h"
#include "wave/ScaleDataCommand.h"
#include "wave/WaveCommands.h"
#include "wave/WaveView.h"

namespace {

// "Undo (Ctrl+Z)": a button tells the key of the menu item it stands for.
void ShowKeyInToolTip(QToolButton& button, const QAction& item) {
    if (!item.shortcut().isEmpty()) {
        button.setToolTip(QString("%1 (%2)").arg(
            button.toolTip(), item.shortcut().toString(QKeySequence::NativeText)));
    }
}

} // namespace

void TMainForm::CreateWaveView() {
    WaveCommands = std::make_unique<TWaveCommands>(*Eps, *this, *this);
    WaveView = std::make_unique<TWaveView>(*Eps, *this, *this, *WaveScrollBox, *WaveCommands);
    // A command's menu item and its speed button, where it has one, run the
    // same handler.
    const auto wire = [this](QAction* item, QToolButton* button, auto handler) {
        connect(item, &QAction::triggered, this, handler);
        if (button != nullptr) {
            connect(button, &QToolButton::clicked, this, handler);
            ShowKeyInToolTip(*button, *item);
        }
    };
    TWaveCommands* commands = WaveCommands.get();
    wire(UndoMenuItem, UndoButton, [commands] { commands->UndoClick(); });
    wire(RedoMenuItem, RedoButton, [commands] { commands->RedoClick(); });
    wire(ClearDataMenuItem, nullptr, [commands] { commands->ClearDataClick(); });
    wire(ReverseDataMenuItem, nullptr, [commands] { commands->ReverseDataClick(); });
    wire(NormalizeGainMenuItem, nullptr, [commands] { commands->NormalizeGainClick(); });
    wire(FadeInMenuItem, FadeInButton, [commands] { commands->FadeInClick(); });
    wire(FadeOutMenuItem, FadeOutButton, [commands] { commands->FadeOutClick(); });
    wire(ScaleDataMenuItem, ScaleButton, &TMainForm::ScaleDataClick);
    wire(SetPlaybackModeMenuItem, nullptr, &TMainForm::SetPlaybackModeClick);
    wire(SetSampleStartMenuItem, SetWaveStartButton,
         [commands] { commands->SetSampleStartClick(); });
    wire(SetSampleEndMenuItem, SetWaveEndButton, [commands] { commands->SetSampleEndClick(); });
    wire(SetLoopStartMenuItem, SetLoopStartButton, [commands] { commands->SetLoopStartClick(); });
    wire(SetLoopEndMenuItem, SetLoopEndButton, [commands] { commands->SetLoopEndClick(); });
    TWaveView* view = WaveView.get();
    wire(ZoomInMenuItem, ZoomInButton, [view] { view->ZoomIn(); });
    wire(ZoomOutMenuItem, ZoomOutButton, [view] { view->ZoomOut(); });
    wire(ShowAllMenuItem, ShowAllButton, [view] { view->ShowAll(); });
    wire(SelectAllMenuItem, nullptr, [view] { view->Selection.SelectAll(); });
}

// Escape, Home and End have no menu item: Escape must stay free to cancel a
// wait, which a shortcut would take from it.
void TMainForm::keyPressEvent(QKeyEvent* event) {
    if (!WaveView->KeyPress(event->key(), event->modifiers())) {
        QMainWindow::keyPressEvent(event);
    }
}

void TMainForm::ScaleDataClick() {
    ScaleSelection(*Eps, *Dialogs.ScaleDataForm, SelStart, SelEnd);
}

// The loop markers, loop commands and loop panels follow the new mode.
void TMainForm::SetPlaybackModeClick() {
    ChangePlaybackMode(*Eps, *this, *Dialogs.PBModeForm);
}
