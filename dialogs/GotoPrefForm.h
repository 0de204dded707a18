// The welcome of a user's first start: the built-in sampler is ready to try,
// and the Preferences dialog, to which it leads, reaches a real one through
// its MIDI devices and channel.
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
