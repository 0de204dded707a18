#include "wave/PBModeForm.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr int ClientWidth = 253;
constexpr int ClientHeight = 125;
constexpr int ModeStep = 256;

const std::array<const char*, TPBModeForm::ModeCount> ModeCaptions = {
    "Forward - No Loop", "Backward - No Loop", "Loop Forward", "Loop Bidirectional",
    "Loop and Release"};

} // namespace

TPBModeForm::TPBModeForm(QWidget* parent) : TModalForm(parent) {
    setWindowTitle("Wavesample Playback Mode");
    setFixedSize(ClientWidth, ClientHeight);
    PBModeGroup = new QGroupBox("Playback Mode", this);
    PBModeGroup->setGeometry(8, 8, 145, 105);
    auto* items = new QVBoxLayout(PBModeGroup);
    ModeItems = new QButtonGroup(this);
    for (int k = 0; k < ModeCount; ++k) {
        ModeButtons[k] = new QRadioButton(ModeCaptions[k], PBModeGroup);
        ModeItems->addButton(ModeButtons[k], k);
        items->addWidget(ModeButtons[k]);
    }
    OkButton = MakeResultButton("OK", mrOk);
    OkButton->setParent(this);
    OkButton->setDefault(true);
    OkButton->setGeometry(168, 16, 75, 25);
    CancelButton = MakeResultButton("Cancel", mrCancel);
    CancelButton->setParent(this);
    CancelButton->setGeometry(168, 48, 75, 25);
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
