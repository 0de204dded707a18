// Collects a new name for an instrument. The sampler keeps twelve characters
// of a name, so the edit box takes no more; below it the dialog shows the
// name as the sampler will show it, and which characters it cannot show.
#pragma once

#include "dialogs/ModalForm.h"

class QLabel;
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
    // "Sent as: KICK SNARE", and the characters that become blanks.
    QLabel* SentLabel;
    QLabel* BlankedLabel;
    QPushButton* OkButton;
    QPushButton* CancelButton;

private:
    void ShowWhatIsSent(const QString& name);
};
