// A drop-down list of the MIDI devices of one direction, as the system lists
// them: entry i stands for device number i, so DeviceID goes to a port
// unchanged. The input and output pickers differ only in which devices they
// ask for.
#pragma once

#include <QComboBox>
#include <cstdint>

#include "platform/MidiApi.h"

class TMidiDeviceComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit TMidiDeviceComboBox(QWidget* parent = nullptr);

    // The selected entry; -1 when nothing is selected.
    std::int32_t DeviceID() const { return currentIndex(); }
    // A number outside the list leaves nothing selected.
    void SetDeviceID(std::int32_t deviceId);

    // Lists the devices present now and selects the first.
    void FillDeviceList();

protected:
    virtual unsigned DeviceCount() const = 0;
    // The device's product name; empty when the system cannot tell.
    virtual QString ProductName(unsigned device) const = 0;

    // The text of a capabilities record's name field, UTF-8 on every
    // system, which need not end in a zero.
    static QString NameText(const char (&name)[MAXPNAMELEN]);
};
