// The user's own folders where the programs keep their files, found without
// Qt by the XDG base directory rules: the variable when it holds an absolute
// path, else the usual folder in the home folder.
#pragma once

#include <string>

class TUserFolders {
public:
    // $XDG_CONFIG_HOME, or ~/.config; empty when neither is known.
    static std::string Configuration();
    // $XDG_DATA_HOME, or ~/.local/share; empty when neither is known.
    static std::string Data();
};
