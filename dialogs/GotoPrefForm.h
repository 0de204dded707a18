// The welcome of a user's first start: it leads to the Preferences dialog,
// where the MIDI devices and the sampler's channel are chosen.
#pragma once

#include "dialogs/ModalForm.h"

class QPushButton;

class TGotoPrefForm : public TModalForm {
    Q_OBJECT

public:
    explicit TGotoPrefForm(QWidget* parent = nullptr);

    // OK after "Continue ->", Cancel when closed otherwise.
    TModalResult Execute();

    QPushButton* Button1;

signals:
    // Delivered through the event queue after the welcome has closed, so
    // that Preferences never opens on top of it.
    void PreferencesRequested();

private:
    void Button1Click();
};
