// The dialog in which the user chooses the MIDI devices, the sampler's
// channel and the transfer settings. It shows the engine's current values and
// applies the changes on OK at once: a port whose device changed is closed
// and opened on the new device. Test connection tries the devices and channel
// shown before they are applied. Keeping the values between runs is the main
// window's business.
#pragma once

#include <optional>

#include "dialogs/ModalForm.h"

class QGroupBox;
class QLabel;
class QPushButton;
class QScrollBar;
class TChannelComboBox;
class TEps;
class TMidiInComboBox;
class TMidiOutComboBox;

class TPreferencesForm : public TModalForm {
    Q_OBJECT

public:
    static constexpr int HelpContext = 2;

    explicit TPreferencesForm(TEps& eps, QWidget* parent = nullptr);

    // OK or Cancel; after Cancel the engine is as it was. Closing the old
    // device on OK may raise the port's EMidiError, which skips the rest.
    TModalResult Execute();

    QGroupBox* GroupBox4;
    QLabel* Label6;
    TMidiInComboBox* MidiInComboBox;
    QLabel* Label7;
    TMidiOutComboBox* MidiOutComboBox;
    QGroupBox* GroupBox1;
    QLabel* Label1;
    TChannelComboBox* ChannelComboBox;
    QPushButton* TestButton;
    // What the last test found; empty until a test of the choice shown.
    QLabel* TestResultLabel;
    QGroupBox* GroupBox2;
    QLabel* Label2;
    QScrollBar* BlockSizeScrollBar;
    // The scroll bars' values: "1024 words", "200 ms".
    QLabel* BlockSizeValueLabel;
    QLabel* DelayValueLabel;
    QLabel* Label3;
    QScrollBar* DelayScrollBar;
    QPushButton* OkButton;
    QPushButton* CancelButton;
    QPushButton* HelpButton;

private:
    void CreateControls();
    void LayOutControls();
    void SetTabOrder();
    void LoadControls();
    void ApplyControls();
    void HelpButtonClick();
    // Puts the engine on the devices and channel shown for one probe, then
    // back as it was, open or closed.
    void TestButtonClick();
    // What a test on the output device shown and channel found.
    QString TestResultText(std::optional<NoEpsReason> failure, int channel) const;

    TEps& Eps;
};
