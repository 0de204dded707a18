// Collects a new name for an instrument. The sampler keeps twelve characters
// of a name, so the edit box takes no more.
#pragma once

#include "dialogs/ModalForm.h"

class QLineEdit;
class QPushButton;

class TRenameInstrForm : public TModalForm {
    Q_OBJECT

public:
    static constexpr int NameLength = 12;

    explicit TRenameInstrForm(QWidget* parent = nullptr);

    // Offers currentName for editing, wholly selected so that typing replaces
    // it. On OK the edited text becomes NewName.
    TModalResult Execute(const QString& currentName);

    // The text last accepted with OK.
    QString NewName;

    QLineEdit* NameEdit;
    QPushButton* OkButton;
    QPushButton* CancelButton;
};
