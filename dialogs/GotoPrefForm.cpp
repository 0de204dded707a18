#include "dialogs/GotoPrefForm.h"

#include <QLabel>
#include <QPushButton>

TGotoPrefForm::TGotoPrefForm(QWidget* parent) : TModalForm(parent) {
    setWindowTitle("Welcome");
    Button1 = new QPushButton("Continue ->");
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TGotoPrefForm::Button1Click);
    LayOutNotice(QStyle::SP_MessageBoxInformation, {MakeBoldLabel("Welcome to Tavimor")},
                 {MakeLineLabel("By pressing the continue button "),
                  MakeLineLabel("Tavimor will take you to the "),
                  MakeLineLabel("Preferences dialog. Here you will "),
                  MakeLineLabel("have to specify the Midi device, "),
                  MakeLineLabel("and channel , that your EPS/ASR "),
                  MakeLineLabel("is connected to.   ")},
                 {Button1});
}

TModalResult TGotoPrefForm::Execute() {
    Button1->setFocus();
    return ShowModal();
}

void TGotoPrefForm::Button1Click() {
    CloseForPreferences(mrOk);
}
