// The settings the desktop program saved, read without Qt: the INI file
// that Qt keeps for organisation "Tavimor", application "Tavimor" in the
// user's configuration folder. Only what the command-line tool takes as its
// defaults is read: section [Preferences].
#pragma once

#include <optional>
#include <string>

#include "platform/IniText.h"

class TSavedSettings {
public:
    // The user's file; no settings when there is none.
    static TSavedSettings Load();
    // $XDG_CONFIG_HOME/Tavimor/Tavimor.ini, or ~/.config/Tavimor/Tavimor.ini;
    // %APPDATA%\Tavimor\Tavimor.ini on Windows.
    static std::string DefaultPath();
    static TSavedSettings LoadFile(const std::string& path);

    // A value that is missing or is no number gives nothing; a text starting
    // with 0x is hexadecimal, as the desktop program reads it.
    std::optional<int> Integer(const std::string& section, const std::string& name) const;
    // Empty when the value is missing.
    std::string Text(const std::string& section, const std::string& name) const;

private:
    TIniValues Values;
};
