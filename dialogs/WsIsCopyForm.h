// Tells the user that the wavesample being opened only borrows the sample
// data of another wavesample, and offers to open that one instead.
#pragma once

#include "dialogs/ModalForm.h"

class QLabel;
class QPushButton;

class TWsIsCopyForm : public TModalForm {
    Q_OBJECT

public:
    explicit TWsIsCopyForm(QWidget* parent = nullptr);

    // n is the number of the wavesample that holds the data. OK ("Yes") or
    // Cancel ("No").
    TModalResult Execute(int n);

    QLabel* Error1Label;
    QLabel* Label2;
    QLabel* Label5;
    QPushButton* OkButton;
    QPushButton* CancelButton;
};
