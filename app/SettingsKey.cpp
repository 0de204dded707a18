#include "app/SettingsKey.h"

#include <limits>

namespace {

// On Windows the key lies in the registry as HKEY_CURRENT_USER\Software\Tavimor;
// elsewhere it is the INI file Tavimor/Tavimor.ini in the user's configuration
// folder (~/.config on Linux).
#ifdef Q_OS_WIN
constexpr QSettings::Format KeyFormat = QSettings::NativeFormat;
const QString KeyApplication;
#else
constexpr QSettings::Format KeyFormat = QSettings::IniFormat;
const QString KeyApplication = QStringLiteral("Tavimor");
#endif

} // namespace

TSettingsKey::TSettingsKey() : Key(KeyFormat, QSettings::UserScope, "Tavimor", KeyApplication) {}

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
