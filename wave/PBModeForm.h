// The playback mode dialog: forward or backward once, or one of three loops.
// The mode word of item k of the group is 256 * k.
#pragma once

#include <array>
#include <cstdint>

#include "dialogs/ModalForm.h"

class QButtonGroup;
class QGroupBox;
class QPushButton;
class QRadioButton;

class TPBModeForm : public TModalForm {
    Q_OBJECT

public:
    static constexpr int ModeCount = 5;

    explicit TPBModeForm(QWidget* parent = nullptr);

    // Shows the dialog with the item of mode selected (a word outside the
    // table leaves the selection as it was) and returns OK or Cancel.
    // Afterwards Mode holds the word of the item selected when it closed.
    TModalResult Execute(std::int32_t mode);

    // The mode word chosen with the last showing; 0 before the first.
    std::int32_t Mode = 0;

    QGroupBox* PBModeGroup;
    std::array<QRadioButton*, ModeCount> ModeButtons{};
    QPushButton* OkButton;
    QPushButton* CancelButton;

private:
    void LayOutControls();

    QButtonGroup* ModeItems;
};
