#include "midi/MidiOutComboBox.h"

#include "platform/MidiApi.h"

TMidiOutComboBox::TMidiOutComboBox(QWidget* parent) : TMidiDeviceComboBox(parent) {
    FillDeviceList();
}

unsigned TMidiOutComboBox::DeviceCount() const {
    return midiOutGetNumDevs();
}

QString TMidiOutComboBox::ProductName(unsigned device) const {
    MIDIOUTCAPSA caps{};
    if (midiOutGetDevCapsA(device, &caps, sizeof caps) != MMSYSERR_NOERROR) {
        return {};
    }
    return NameText(caps.szPname);
}
