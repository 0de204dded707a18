// Tells the user that the sampler cannot be reached, why, and what to check.
// The connection check shows it and tries again while the answer is Retry,
// which is offered only when the sampler, not the computer's MIDI ports, is
// the likely cause. Where the advice lies in the Preferences dialog, a button
// gives the connection up and leads there.
#pragma once

#include <array>

#include "dialogs/ModalForm.h"

class QLabel;
class QPushButton;

class TNoEpsForm : public TModalForm {
    Q_OBJECT

public:
    static constexpr int HelpContext = 3;

    explicit TNoEpsForm(QWidget* parent = nullptr);

    // OK, Retry, or Cancel when closed by the close box or for Preferences.
    TModalResult Execute(NoEpsReason reason);

    QLabel* Error1Label;
    QLabel* Error2Label;
    QLabel* Info1Label;
    QLabel* Info2Label;
    QLabel* Info3Label;
    QLabel* Info4Label;
    QLabel* Info5Label;
    QPushButton* OkButton;
    QPushButton* HelpButton;
    QPushButton* RetryButton;
    QPushButton* PreferencesButton;

private:
    // The five plain lines, top to bottom.
    std::array<QLabel*, 5> InfoLabels() const;
    void HelpButtonClick();
    // The connection is given up for the Preferences dialog.
    void PreferencesButtonClick();
};
