// The welcome of a user's first start: it leads to the Preferences dialog,
// where the MIDI devices and the sampler's channel are chosen.
#pragma once

#include "dialogs/ModalForm.h"

class QPushButton;

class TGotoPrefForm : public TModalForm {
    Q_OBJECT

public:
    explicit TGotoPrefForm(QWidget* parent = nullptr);

    // OK after "Continue ->", which asks for Preferences; Cancel when closed
    // otherwise.
    TModalResult Execute();

    QPushButton* Button1;

private:
    void Button1Click();
};
