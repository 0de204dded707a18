#include "midi/MidiInComboBox.h"

#include "platform/MidiApi.h"

TMidiInComboBox::TMidiInComboBox(QWidget* parent) : TMidiDeviceComboBox(parent) {
    FillDeviceList();
}

unsigned TMidiInComboBox::DeviceCount() const {
    return midiInGetNumDevs();
}

QString TMidiInComboBox::ProductName(unsigned device) const {
    MIDIINCAPSA caps{};
    if (midiInGetDevCapsA(device, &caps, sizeof caps) != MMSYSERR_NOERROR) {
        return {};
    }
    return NameText(caps.szPname);
}
