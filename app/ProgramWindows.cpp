#include "app/ProgramWindows.h"

#include <QAction>

#include "app/BusyIndicator.h"
#include "app/HelpFile.h"

TProgramWindows::TProgramWindows(const QString& firstArgument) {
    MainForm = std::make_unique<TMainForm>(firstArgument);
    QWidget* owner = MainForm.get();
    TEps& eps = *MainForm->Eps;
    AboutForm = std::make_unique<TAboutForm>(owner);
    StatusForm = std::make_unique<TStatusForm>(owner);
    NoInstrForm = std::make_unique<TNoInstrForm>(owner);
    RenameInstrForm = std::make_unique<TRenameInstrForm>(owner);
    OpenWaveForm = std::make_unique<TOpenWaveForm>(eps, *RenameInstrForm, *NoInstrForm, owner);
    PBModeForm = std::make_unique<TPBModeForm>(owner);
    PreferencesForm = std::make_unique<TPreferencesForm>(eps, owner);
    ScaleDataForm = std::make_unique<TScaleDataForm>(owner);
    NoEpsForm = std::make_unique<TNoEpsForm>(owner);
    GotoPrefForm = std::make_unique<TGotoPrefForm>(owner);
    WsIsCopyForm = std::make_unique<TWsIsCopyForm>(owner);
    Connect();
    DebuggingData = std::make_unique<TDebuggingData>();
}

// The dialogs are the main window's children: they go before it does.
TProgramWindows::~TProgramWindows() = default;

void TProgramWindows::Connect() {
    MainForm->SetDialogs({.AboutForm = AboutForm.get(),
                          .StatusForm = StatusForm.get(),
                          .OpenWaveForm = OpenWaveForm.get(),
                          .PBModeForm = PBModeForm.get(),
                          .PreferencesForm = PreferencesForm.get(),
                          .ScaleDataForm = ScaleDataForm.get(),
                          .NoEpsForm = NoEpsForm.get(),
                          .GotoPrefForm = GotoPrefForm.get(),
                          .WsIsCopyForm = WsIsCopyForm.get()});
    for (TModalForm* form : {static_cast<TModalForm*>(PreferencesForm.get()),
                             static_cast<TModalForm*>(NoEpsForm.get())}) {
        QObject::connect(form, &TModalForm::HelpRequested, &THelpFile::ShowContext);
    }
    // The figures fill the browser's rows while the user chooses: a click
    // in the middle of a read is kept for the browser, not dropped.
    TBusyIndicator* busy = MainForm->BusyIndicator;
    TOpenWaveForm* browser = OpenWaveForm.get();
    QObject::connect(browser, &TOpenWaveForm::FiguresReadStarts, busy,
                     [busy, browser] { busy->KeepInputOf(browser); });
    // The welcome's "Continue ->" and the connection dialog lead on to
    // Preferences.
    for (TModalForm* form : {static_cast<TModalForm*>(GotoPrefForm.get()),
                             static_cast<TModalForm*>(NoEpsForm.get())}) {
        QObject::connect(form, &TModalForm::PreferencesRequested, MainForm->PreferencesMenuItem,
                         &QAction::trigger);
    }
}
