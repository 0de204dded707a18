// A drop-down list of the MIDI channels 1 to 16.
#pragma once

#include <QComboBox>

class TChannelComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit TChannelComboBox(QWidget* parent = nullptr);

    // 1..16; 0 when nothing is selected.
    int Channel() const { return currentIndex() + 1; }
    // A channel outside 1..16 leaves nothing selected.
    void SetChannel(int channel);
};
