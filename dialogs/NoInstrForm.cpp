#include "dialogs/NoInstrForm.h"

#include <QLabel>
#include <QPushButton>

TNoInstrForm::TNoInstrForm(QWidget* parent) : TModalForm(parent) {
    setWindowTitle("No Instruments Loaded");
    Error1Label = MakeBoldLabel("At the moment there are no ");
    Error2Label = MakeBoldLabel("instruments loaded into your EPS/ASR.");
    Info1Label = MakeLineLabel("First load an instrument into your EPS/ASR.");
    Info2Label = MakeLineLabel("Then press continue to refresh the instrument/wavesample lists.");
    OkButton = MakeResultButton("Continue ->", mrOk);
    OkButton->setDefault(true);
    CancelButton = MakeResultButton("Cancel", mrCancel);
    LayOutNotice(QStyle::SP_MessageBoxWarning, {Error1Label, Error2Label}, {Info1Label, Info2Label},
                 {OkButton, CancelButton});
}

TModalResult TNoInstrForm::Execute() {
    OkButton->setFocus();
    return ShowModal();
}
