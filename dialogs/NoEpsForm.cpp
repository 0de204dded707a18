#include "dialogs/NoEpsForm.h"

#include <QLabel>
#include <QPushButton>

namespace {

struct TReasonTexts {
    const char* Caption;
    const char* Error1;
    const char* Error2;
    std::array<const char*, 5> Info;
    bool Retry;
    // The advice points to the Preferences dialog.
    bool Preferences;
};

const TReasonTexts& TextsFor(NoEpsReason reason) {
    static const TReasonTexts MidiIn{"Unable to open Midi-in device",
                                     "Tavimor failed to open the",
                                     "Midi input device",
                                     {"", "Please make sure you've configured",
                                      "the Midi input device in the Preferences", "dialog", ""},
                                     false,
                                     true};
    static const TReasonTexts MidiOut{"Unable to open Midi-out device",
                                      "Tavimor failed to open the",
                                      "Midi output device",
                                      {"", "Please make sure you've configured",
                                       "the Midi output device in the Preferences", "dialog", ""},
                                      false,
                                      true};
    static const TReasonTexts NoAnswer{"Unable to find EPS/ASR",
                                       "Tavimor failed to make a",
                                       "connection to your EPS/ASR",
                                       {"To solve this problem please check the following :",
                                        "    * Midi Device in Preferences dialog",
                                        "    * Channel in Preferences dialog",
                                        "    * EPS/ASR system parameters", "    * Midi cabling"},
                                       true,
                                       true};
    static const TReasonTexts SystemDisk{
        "Unable to find EPS/ASR",
        "Tavimor failed to make a",
        "connection to your EPS/ASR",
        {"", "Make sure the system disk is", "inserted into your EPS/ASR", "", ""},
        true,
        false};
    switch (reason) {
    case neMidiIn:
        return MidiIn;
    case neMidiOut:
        return MidiOut;
    case neSystemDisk:
        return SystemDisk;
    case neNoAnswer:
        break;
    }
    return NoAnswer;
}

} // namespace

TNoEpsForm::TNoEpsForm(QWidget* parent) : TModalForm(parent) {
    setWindowTitle("Unable to find EPS / ASR");
    Error1Label = MakeBoldLabel();
    Error2Label = MakeBoldLabel();
    Info1Label = MakeLineLabel();
    Info2Label = MakeLineLabel();
    Info3Label = MakeLineLabel();
    Info4Label = MakeLineLabel();
    Info5Label = MakeLineLabel();
    OkButton = MakeResultButton("OK", mrOk);
    OkButton->setDefault(true);
    HelpButton = new QPushButton("Help");
    connect(HelpButton, &QPushButton::clicked, this, &TNoEpsForm::HelpButtonClick);
    RetryButton = MakeResultButton("Retry", mrRetry);
    PreferencesButton = new QPushButton("Preferences...");
    connect(PreferencesButton, &QPushButton::clicked, this, &TNoEpsForm::PreferencesButtonClick);
    LayOutNotice(QStyle::SP_MessageBoxCritical, {Error1Label, Error2Label},
                 {Info1Label, Info2Label, Info3Label, Info4Label, Info5Label},
                 {OkButton, HelpButton, RetryButton, PreferencesButton});
}

TModalResult TNoEpsForm::Execute(NoEpsReason reason) {
    const TReasonTexts& texts = TextsFor(reason);
    setWindowTitle(texts.Caption);
    Error1Label->setText(texts.Error1);
    Error2Label->setText(texts.Error2);
    const std::array<QLabel*, 5> lines = InfoLabels();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        lines[i]->setText(texts.Info[i]);
    }
    RetryButton->setVisible(texts.Retry);
    PreferencesButton->setVisible(texts.Preferences);
    OkButton->setFocus();
    return ShowModal();
}

std::array<QLabel*, 5> TNoEpsForm::InfoLabels() const {
    return {Info1Label, Info2Label, Info3Label, Info4Label, Info5Label};
}

void TNoEpsForm::HelpButtonClick() {
    emit HelpRequested(HelpContext);
}

void TNoEpsForm::PreferencesButtonClick() {
    CloseForPreferences(mrCancel);
}
