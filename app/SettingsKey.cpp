#include "app/SettingsKey.h"

#include <QIODevice>

#include <limits>

#include "platform/IniText.h"
#include "platform/UserFolders.h"

namespace {

// The key is the INI file that the command-line tool reads too. It is read
// and written as plain text: Qt's own INI reader would also decode binary
// "@Variant(...)" values, which a damaged file can turn into a request for
// gigabytes.
bool ReadText(QIODevice& device, QSettings::SettingsMap& map) {
    const QByteArray bytes = device.readAll();
    for (const auto& [key, value] :
         TIniText::Parse({bytes.constData(), std::size_t(bytes.size())})) {
        map.insert(QString::fromStdString(key), QString::fromStdString(value));
    }
    return true;
}

bool WriteText(QIODevice& device, const QSettings::SettingsMap& map) {
    TIniValues values;
    for (auto entry = map.cbegin(); entry != map.cend(); ++entry) {
        values[entry.key().toStdString()] = entry.value().toString().toStdString();
    }
    const std::string text = TIniText::Format(values);
    return device.write(text.data(), qint64(text.size())) == qint64(text.size());
}

QSettings::Format KeyFormat() {
    static const QSettings::Format format = QSettings::registerFormat("ini", ReadText, WriteText);
    return format;
}

} // namespace

TSettingsKey::TSettingsKey()
    : Key(QString::fromStdString(TUserFolders::SettingsFile()), KeyFormat()) {}

int TSettingsKey::ReadInteger(const QString& section, const QString& name, int defaultValue) {
    return ParseInteger(Key.value(Path(section, name)).toString(), defaultValue);
}

QString TSettingsKey::ReadString(const QString& section, const QString& name,
                                 const QString& defaultValue) {
    return Key.value(Path(section, name), defaultValue).toString();
}

void TSettingsKey::WriteInteger(const QString& section, const QString& name, int value) {
    WriteString(section, name, QString::number(value));
}

void TSettingsKey::WriteString(const QString& section, const QString& name, const QString& value) {
    Key.setValue(Path(section, name), value);
}

int TSettingsKey::ParseInteger(const QString& text, int defaultValue) {
    const QString trimmed = text.trimmed();
    const bool hex = trimmed.startsWith("0x", Qt::CaseInsensitive);
    bool ok = false;
    // Parsed wide so that a value beyond 32 bits is refused, not wrapped.
    const qlonglong value = hex ? trimmed.mid(2).toLongLong(&ok, 16) : trimmed.toLongLong(&ok, 10);
    if (!ok || value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
        return defaultValue;
    }
    return static_cast<int>(value);
}

QString TSettingsKey::Path(const QString& section, const QString& name) const {
    return section + '/' + name;
}
