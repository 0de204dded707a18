#include "dialogs/GotoPrefForm.h"

#include <QLabel>
#include <QPushButton>

TGotoPrefForm::TGotoPrefForm(QWidget* parent) : TModalForm(parent) {
    setWindowTitle("Welcome");
    Button1 = new QPushButton("Continue ->");
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TGotoPrefForm::Button1Click);
    LayOutNotice(QStyle::SP_MessageBoxInformation, {MakeBoldLabel("Welcome to Tavimor")},
                 {MakeLineLabel("The built-in sampler, Virtual EPS, is selected and ready:"),
                  MakeLineLabel("File > Open Wavesample (Ctrl+O) opens its demo sounds."),
                  MakeLineLabel(),
                  MakeLineLabel("To work with a real EPS, EPS-16 Plus or ASR, choose"),
                  MakeLineLabel("the MIDI devices it is connected to and its channel in"),
                  MakeLineLabel("the Preferences dialog; Test connection checks them."),
                  MakeLineLabel("Continue -> takes you there.")},
                 {Button1});
}

TModalResult TGotoPrefForm::Execute() {
    Button1->setFocus();
    return ShowModal();
}

void TGotoPrefForm::Button1Click() {
    CloseForPreferences(mrOk);
}
