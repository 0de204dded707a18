// The user's own folders where the programs keep their files, found without
// Qt: on Windows the roaming application data folder (%APPDATA%, else the
// system's known folder), elsewhere by the XDG base directory rules: the
// variable when it holds an absolute path, else the usual folder in the home
// folder. The texts are UTF-8.
#pragma once

#include <string>

class TUserFolders {
public:
    // %APPDATA%; $XDG_CONFIG_HOME, or ~/.config; empty when none is known.
    static std::string Configuration();
    // %APPDATA%; $XDG_DATA_HOME, or ~/.local/share; empty when none is known.
    static std::string Data();
    // The settings file that the desktop program and the command-line tool
    // share: Tavimor/Tavimor.ini in the configuration folder, in the
    // system's own spelling.
    static std::string SettingsFile();
};
