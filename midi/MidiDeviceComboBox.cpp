#include "midi/MidiDeviceComboBox.h"

namespace {
constexpr int DefaultWidth = 185;
}

TMidiDeviceComboBox::TMidiDeviceComboBox(QWidget* parent) : QComboBox(parent) {
    setMinimumWidth(DefaultWidth);
}

void TMidiDeviceComboBox::SetDeviceID(std::int32_t deviceId) {
    setCurrentIndex(deviceId >= 0 && deviceId < count() ? deviceId : -1);
}

// A device that cannot tell its name keeps its place in the list, so that
// the entries after it still stand for their device numbers.
void TMidiDeviceComboBox::FillDeviceList() {
    clear();
    const unsigned devices = DeviceCount();
    for (unsigned i = 0; i < devices; ++i) {
        const QString name = ProductName(i);
        addItem(name.isEmpty() ? QString("Midi device %1").arg(i) : name);
    }
    setCurrentIndex(count() > 0 ? 0 : -1);
}

QString TMidiDeviceComboBox::NameText(const char (&name)[MAXPNAMELEN]) {
    return QString::fromUtf8(name, static_cast<qsizetype>(qstrnlen(name, MAXPNAMELEN)));
}
