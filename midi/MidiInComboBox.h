// The picker of the MIDI input device.
#pragma once

#include "midi/MidiDeviceComboBox.h"

class TMidiInComboBox : public TMidiDeviceComboBox {
    Q_OBJECT

public:
    explicit TMidiInComboBox(QWidget* parent = nullptr);

protected:
    unsigned DeviceCount() const override;
    QString ProductName(unsigned device) const override;
};
