#include "midi/ChannelComboBox.h"

namespace {
constexpr int DefaultWidth = 41;
constexpr int ChannelCount = 16;
} // namespace

TChannelComboBox::TChannelComboBox(QWidget* parent) : QComboBox(parent) {
    setMinimumWidth(DefaultWidth);
    for (int channel = 1; channel <= ChannelCount; ++channel) {
        addItem(QString::number(channel));
    }
    setCurrentIndex(0);
}

void TChannelComboBox::SetChannel(int channel) {
    setCurrentIndex(channel >= 1 && channel <= ChannelCount ? channel - 1 : -1);
}
