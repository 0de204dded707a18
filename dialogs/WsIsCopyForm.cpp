#include "dialogs/WsIsCopyForm.h"

#include <QLabel>
#include <QPushButton>

TWsIsCopyForm::TWsIsCopyForm(QWidget* parent) : TModalForm(parent) {
    setWindowTitle("Wavesample is a Copy");
    Error1Label = MakeBoldLabel("Wavesample is a Copy");
    Label2 = MakeLineLabel();
    Label5 = MakeLineLabel();
    OkButton = MakeResultButton("Yes", mrOk);
    OkButton->setDefault(true);
    CancelButton = MakeResultButton("No", mrCancel);
    LayOutNotice(QStyle::SP_MessageBoxQuestion, {Error1Label},
                 {MakeLineLabel("The wavesample you are trying to open is a"), Label2,
                  MakeLineLabel("You cannot edit  wavesamples that are a copy"),
                  MakeLineLabel("of another wavesample. "), Label5},
                 {OkButton, CancelButton});
}

TModalResult TWsIsCopyForm::Execute(int n) {
    Label2->setText(QString("parameters-only copy of wavesample #%1.").arg(n));
    Label5->setText(QString("Do you want to edit wavesample #%1 instead ?").arg(n));
    OkButton->setFocus();
    return ShowModal();
}
