// Every window of the program, each created once at start-up and kept until
// the program ends: the main window first, which becomes the application's
// main window, then the dialogs, and last the data module holding the debug
// device. They are destroyed in the opposite order.
#pragma once

#include <QString>

#include <memory>

#include "app/AboutForm.h"
#include "app/DebuggingData.h"
#include "app/MainForm.h"
#include "dialogs/GotoPrefForm.h"
#include "dialogs/NoEpsForm.h"
#include "dialogs/NoInstrForm.h"
#include "dialogs/OpenWaveForm.h"
#include "dialogs/RenameInstrForm.h"
#include "dialogs/WsIsCopyForm.h"
#include "midi/PreferencesForm.h"
#include "transfer/ui/StatusForm.h"
#include "wave/PBModeForm.h"
#include "wave/ScaleDataForm.h"

class TProgramWindows {
public:
    // firstArgument: the first command-line argument, which may choose the
    // medium of the debug trace.
    explicit TProgramWindows(const QString& firstArgument = {});
    ~TProgramWindows();
    TProgramWindows(const TProgramWindows&) = delete;
    TProgramWindows& operator=(const TProgramWindows&) = delete;

    std::unique_ptr<TMainForm> MainForm;
    std::unique_ptr<TAboutForm> AboutForm;
    std::unique_ptr<TStatusForm> StatusForm;
    // The browser hands its questions to these two, so they come first.
    std::unique_ptr<TNoInstrForm> NoInstrForm;
    std::unique_ptr<TRenameInstrForm> RenameInstrForm;
    std::unique_ptr<TOpenWaveForm> OpenWaveForm;
    std::unique_ptr<TPBModeForm> PBModeForm;
    std::unique_ptr<TPreferencesForm> PreferencesForm;
    std::unique_ptr<TScaleDataForm> ScaleDataForm;
    std::unique_ptr<TNoEpsForm> NoEpsForm;
    std::unique_ptr<TGotoPrefForm> GotoPrefForm;
    std::unique_ptr<TWsIsCopyForm> WsIsCopyForm;
    std::unique_ptr<TDebuggingData> DebuggingData;

private:
    void Connect();
};
