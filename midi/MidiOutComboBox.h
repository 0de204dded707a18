// The picker of the MIDI output device.
#pragma once

#include "midi/MidiDeviceComboBox.h"

class TMidiOutComboBox : public TMidiDeviceComboBox {
    Q_OBJECT

public:
    explicit TMidiOutComboBox(QWidget* parent = nullptr);

protected:
    unsigned DeviceCount() const override;
    QString ProductName(unsigned device) const override;
};
