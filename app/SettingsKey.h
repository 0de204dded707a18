// The settings kept between runs: the file Tavimor/Tavimor.ini in the
// user's configuration folder (%APPDATA% on Windows, ~/.config on Linux).
// Every value is stored as text; integers as decimal text. An instance is the
// opened key: open it when a handler starts and let it go when the handler
// ends, so that nothing holds it in between.
#pragma once

#include <QSettings>
#include <QString>

class TSettingsKey {
public:
    // Opens the key, creating it when it does not exist yet.
    TSettingsKey();

    // A value that is missing or is not a number gives the default; a text
    // beginning with "0x" or "0X" is read as hexadecimal.
    int ReadInteger(const QString& section, const QString& name, int defaultValue);
    QString ReadString(const QString& section, const QString& name, const QString& defaultValue);
    void WriteInteger(const QString& section, const QString& name, int value);
    void WriteString(const QString& section, const QString& name, const QString& value);

    // The integer a settings text stands for, or the default when it stands
    // for none (empty, not a number, beyond 32 bits).
    static int ParseInteger(const QString& text, int defaultValue);

private:
    QString Path(const QString& section, const QString& name) const;

    QSettings Key;
};
