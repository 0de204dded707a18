#include "midi/PreferencesForm.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <initializer_list>

#include "eps/Eps.h"
#include "midi/ChannelComboBox.h"
#include "midi/MidiInComboBox.h"
#include "midi/MidiOutComboBox.h"

namespace {

constexpr int ScrollBarWidth = 320;

QScrollBar* MakeScrollBar(int minimum, int maximum, int smallStep, int largeStep) {
    auto* bar = new QScrollBar(Qt::Horizontal);
    bar->setRange(minimum, maximum);
    bar->setSingleStep(smallStep);
    bar->setPageStep(largeStep);
    bar->setFocusPolicy(Qt::StrongFocus);
    bar->setMinimumWidth(ScrollBarWidth);
    return bar;
}

// Shows the scroll bar's value with its unit, kept up to date; wide enough
// for the longest value, so that the window does not change its size.
QLabel* MakeValueLabel(QScrollBar* bar, const QString& unit) {
    auto* label = new QLabel;
    const auto show = [label, unit](int value) {
        label->setText(QString("%1 %2").arg(value).arg(unit));
    };
    QObject::connect(bar, &QScrollBar::valueChanged, label, show);
    show(bar->value());
    label->setMinimumWidth(
        label->fontMetrics().horizontalAdvance(QString("%1 %2").arg(bar->maximum()).arg(unit)));
    return label;
}

QLabel* MakeBuddyLabel(const QString& caption, QWidget* buddy) {
    auto* label = new QLabel(caption);
    label->setBuddy(buddy);
    return label;
}

// A port is closed and reopened only when its device changed; whether the
// new device opens shows at the next connection check.
template <typename TPort> void SwitchDevice(TPort& port, std::int32_t deviceId) {
    if (deviceId == port.DeviceID) {
        return;
    }
    port.Close();
    port.DeviceID = deviceId;
    port.Open();
}

// A port's device and whether it is open, to be put back after a test.
template <typename TPort> class TPortState {
public:
    explicit TPortState(TPort& port) : Port(port), DeviceID(port.DeviceID), Open(port.IsOpen()) {}

    void Restore() const {
        SwitchDevice(Port, DeviceID);
        if (Port.IsOpen() != Open) {
            Open ? static_cast<void>(Port.Open()) : Port.Close();
        }
    }

private:
    TPort& Port;
    std::int32_t DeviceID;
    bool Open;
};

} // namespace

TPreferencesForm::TPreferencesForm(TEps& eps, QWidget* parent) : TModalForm(parent), Eps(eps) {
    setWindowTitle("Preferences");
    CreateControls();
    LayOutControls();
    SetTabOrder();
}

void TPreferencesForm::CreateControls() {
    MidiInComboBox = new TMidiInComboBox;
    Label6 = MakeBuddyLabel("&Input", MidiInComboBox);
    MidiOutComboBox = new TMidiOutComboBox;
    Label7 = MakeBuddyLabel("&Output", MidiOutComboBox);
    ChannelComboBox = new TChannelComboBox;
    Label1 = MakeBuddyLabel("&Channel", ChannelComboBox);
    TestButton = new QPushButton("&Test connection");
    connect(TestButton, &QPushButton::clicked, this, &TPreferencesForm::TestButtonClick);
    TestResultLabel = new QLabel;
    TestResultLabel->setWordWrap(true);
    TestResultLabel->setTextFormat(Qt::PlainText);
    TestResultLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Room for the longest result, so that the dialog keeps its size.
    TestResultLabel->setMinimumHeight(2 * TestResultLabel->fontMetrics().lineSpacing());
    // A result describes the choice it was found for.
    for (QComboBox* choice :
         std::initializer_list<QComboBox*>{MidiInComboBox, MidiOutComboBox, ChannelComboBox}) {
        connect(choice, &QComboBox::currentIndexChanged, TestResultLabel, &QLabel::clear);
    }
    BlockSizeScrollBar = MakeScrollBar(MinBlockSize, MaxBlockSize, 50, 500);
    Label2 = MakeBuddyLabel("Upload/download &Blocksize", BlockSizeScrollBar);
    BlockSizeValueLabel = MakeValueLabel(BlockSizeScrollBar, "words");
    DelayScrollBar = MakeScrollBar(0, MaxDelay, 40, 400);
    Label3 = MakeBuddyLabel("&Delay", DelayScrollBar);
    DelayValueLabel = MakeValueLabel(DelayScrollBar, "ms");
    OkButton = MakeResultButton("OK", mrOk);
    OkButton->setDefault(true);
    CancelButton = MakeResultButton("Cancel", mrCancel);
    HelpButton = new QPushButton("Help");
    connect(HelpButton, &QPushButton::clicked, this, &TPreferencesForm::HelpButtonClick);
}

void TPreferencesForm::LayOutControls() {
    GroupBox4 = new QGroupBox("Midi Device");
    auto* devices = new QGridLayout(GroupBox4);
    devices->addWidget(Label6, 0, 0);
    devices->addWidget(MidiInComboBox, 0, 1);
    devices->addWidget(Label7, 1, 0);
    devices->addWidget(MidiOutComboBox, 1, 1);

    GroupBox1 = new QGroupBox("EPS / ASR");
    auto* sampler = new QGridLayout(GroupBox1);
    sampler->addWidget(Label1, 0, 0);
    sampler->addWidget(ChannelComboBox, 0, 1);
    sampler->addWidget(TestButton, 1, 0, 1, 2);
    sampler->setRowStretch(2, 1);

    GroupBox2 = new QGroupBox("Transfer");
    auto* transfer = new QGridLayout(GroupBox2);
    transfer->addWidget(Label2, 0, 0);
    transfer->addWidget(BlockSizeScrollBar, 0, 1);
    transfer->addWidget(BlockSizeValueLabel, 0, 2);
    transfer->addWidget(Label3, 1, 0);
    transfer->addWidget(DelayScrollBar, 1, 1);
    transfer->addWidget(DelayValueLabel, 1, 2);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    buttons->addWidget(HelpButton);
    buttons->addStretch(1);

    auto* form = new QGridLayout(this);
    form->addWidget(GroupBox4, 0, 0);
    form->addWidget(GroupBox1, 0, 1);
    form->addWidget(TestResultLabel, 1, 0, 1, 2);
    form->addWidget(GroupBox2, 2, 0, 1, 2);
    form->addLayout(buttons, 0, 2, 3, 1);
    form->setSizeConstraint(QLayout::SetFixedSize);
}

void TPreferencesForm::SetTabOrder() {
    QWidget::setTabOrder(OkButton, CancelButton);
    QWidget::setTabOrder(CancelButton, MidiInComboBox);
    QWidget::setTabOrder(MidiInComboBox, MidiOutComboBox);
    QWidget::setTabOrder(MidiOutComboBox, ChannelComboBox);
    QWidget::setTabOrder(ChannelComboBox, TestButton);
    QWidget::setTabOrder(TestButton, BlockSizeScrollBar);
    QWidget::setTabOrder(BlockSizeScrollBar, DelayScrollBar);
    QWidget::setTabOrder(DelayScrollBar, HelpButton);
}

TModalResult TPreferencesForm::Execute() {
    LoadControls();
    OkButton->setFocus();
    const TModalResult result = ShowModal();
    if (result == mrOk) {
        ApplyControls();
    }
    return result;
}

// The device lists are read afresh, so that each entry stands for the
// device number the ports will be given, even after devices came or went.
void TPreferencesForm::LoadControls() {
    MidiInComboBox->FillDeviceList();
    MidiOutComboBox->FillDeviceList();
    MidiInComboBox->SetDeviceID(Eps.MidiIn->DeviceID);
    MidiOutComboBox->SetDeviceID(Eps.MidiOut->DeviceID);
    ChannelComboBox->SetChannel(Eps.MidiOut->Channel());
    BlockSizeScrollBar->setValue(Eps.BlockSize());
    DelayScrollBar->setValue(Eps.Delay());
    TestResultLabel->clear();
}

void TPreferencesForm::ApplyControls() {
    SwitchDevice(*Eps.MidiIn, MidiInComboBox->DeviceID());
    SwitchDevice(*Eps.MidiOut, MidiOutComboBox->DeviceID());
    Eps.MidiOut->SetChannel(ChannelComboBox->Channel());
    Eps.SetBlockSize(BlockSizeScrollBar->value());
    Eps.SetDelay(DelayScrollBar->value());
}

void TPreferencesForm::HelpButtonClick() {
    emit HelpRequested(HelpContext);
}

// Nothing is kept of the choice tried: OK applies it, Cancel forgets it. A
// port that fails to close ends the test with the engine put back as far as
// it goes.
void TPreferencesForm::TestButtonClick() {
    TestResultLabel->setText("Testing the connection... Esc gives up.");
    TestResultLabel->repaint();
    const TPortState in(*Eps.MidiIn);
    const TPortState out(*Eps.MidiOut);
    const int channel = Eps.MidiOut->Channel();
    const auto restore = [&] {
        Eps.MidiOut->SetChannel(channel);
        in.Restore();
        out.Restore();
    };
    std::optional<NoEpsReason> failure;
    int tried = 0;
    try {
        SwitchDevice(*Eps.MidiIn, MidiInComboBox->DeviceID());
        SwitchDevice(*Eps.MidiOut, MidiOutComboBox->DeviceID());
        Eps.MidiOut->SetChannel(ChannelComboBox->Channel());
        tried = Eps.MidiOut->Channel();
        failure = Eps.ProbeConnection();
    } catch (...) {
        restore();
        throw;
    }
    restore();
    TestResultLabel->setText(TestResultText(failure, tried));
}

QString TPreferencesForm::TestResultText(std::optional<NoEpsReason> failure, int channel) const {
    const QString device = MidiOutComboBox->currentText();
    if (Eps.Cancelled()) {
        return "Test cancelled.";
    }
    if (!failure) {
        return QString("Found: the EPS/ASR answers through %1 on channel %2.")
            .arg(device)
            .arg(channel);
    }
    switch (*failure) {
    case neMidiIn:
        return "Not found: the MIDI input device does not open.";
    case neMidiOut:
        return "Not found: the MIDI output device does not open.";
    case neSystemDisk:
        return "Not found: the EPS/ASR answered once and fell silent. Is its system disk "
               "inserted?";
    case neNoAnswer:
        break;
    }
    return QString("Not found: nothing answers through %1 on channel %2. Check the devices, the "
                   "channel, the sampler's System Exclusive setting and the cables.")
        .arg(device)
        .arg(channel);
}
