// Tells the user that the sampler holds no instrument, so there is nothing to
// pick; "Continue ->" asks the browser to look again once one is loaded.
#pragma once

#include "dialogs/ModalForm.h"

class QLabel;
class QPushButton;

class TNoInstrForm : public TModalForm {
    Q_OBJECT

public:
    explicit TNoInstrForm(QWidget* parent = nullptr);

    // OK ("Continue ->") or Cancel.
    TModalResult Execute();

    QLabel* Error1Label;
    QLabel* Error2Label;
    QLabel* Info1Label;
    QLabel* Info2Label;
    QPushButton* OkButton;
    QPushButton* CancelButton;
};
