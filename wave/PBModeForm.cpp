#include "wave/PBModeForm.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr int GroupWidth = 145;
constexpr int GroupHeight = 105;
constexpr int ModeStep = 256;

const std::array<const char*, TPBModeForm::ModeCount> ModeCaptions = {
    "Forward - No Loop", "Backward - No Loop", "Loop Forward", "Loop Bidirectional",
    "Loop and Release"};

} // namespace

TPBModeForm::TPBModeForm(QWidget* parent) : TModalForm(parent) {
    setWindowTitle("Wavesample Playback Mode");
    PBModeGroup = new QGroupBox("Playback Mode");
    PBModeGroup->setMinimumSize(GroupWidth, GroupHeight);
    auto* items = new QVBoxLayout(PBModeGroup);
    ModeItems = new QButtonGroup(this);
    for (int k = 0; k < ModeCount; ++k) {
        ModeButtons[k] = new QRadioButton(ModeCaptions[k], PBModeGroup);
        ModeItems->addButton(ModeButtons[k], k);
        items->addWidget(ModeButtons[k]);
    }
    OkButton = MakeResultButton("OK", mrOk);
    OkButton->setDefault(true);
    CancelButton = MakeResultButton("Cancel", mrCancel);
    LayOutControls();
}

// The group's designed size is the least it takes: a font wider or taller than
// the one it was drawn for gets the room its captions need, so that no mode is
// cut short. The dialog fits around the group and the buttons.
void TPBModeForm::LayOutControls() {
    auto* form = new QHBoxLayout(this);
    form->addWidget(PBModeGroup);
    form->addLayout(MakeButtonColumn({OkButton, CancelButton}));
    form->setSizeConstraint(QLayout::SetFixedSize);
}

TModalResult TPBModeForm::Execute(std::int32_t mode) {
    if (mode >= 0 && mode % ModeStep == 0 && mode / ModeStep < ModeCount) {
        ModeButtons[mode / ModeStep]->setChecked(true);
    }
    OkButton->setFocus();
    const TModalResult result = ShowModal();
    if (const int item = ModeItems->checkedId(); item >= 0) {
        Mode = ModeStep * item;
    }
    return result;
}
