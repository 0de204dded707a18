#include "platform/UserFolders.h"

#include <cstdlib>

#include "platform/Utf8.h"

#ifdef _WIN32
#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>
#endif

namespace {

#ifdef _WIN32

// Settings and traces follow the user from computer to computer, as the
// registry's user hive does. The variable comes first, as XDG's do
// elsewhere, so that a test or a portable setup can move the folder.
std::string RoamingFolder() {
    if (const wchar_t* variable = _wgetenv(L"APPDATA"); variable != nullptr && *variable != 0) {
        return TUtf8::FromWide(variable);
    }
    wchar_t* folder = nullptr;
    std::string result;
    if (SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &folder) == S_OK) {
        result = TUtf8::FromWide(folder);
    }
    CoTaskMemFree(folder);
    return result;
}

#else

std::string BaseFolder(const char* variable, const char* inHome) {
    const char* folder = std::getenv(variable);
    if (folder != nullptr && folder[0] == '/') {
        return folder;
    }
    const char* home = std::getenv("HOME");
    return home != nullptr ? std::string(home) + inHome : std::string();
}

#endif

} // namespace

#ifdef _WIN32

std::string TUserFolders::Configuration() {
    return RoamingFolder();
}

std::string TUserFolders::Data() {
    return RoamingFolder();
}

#else

std::string TUserFolders::Configuration() {
    return BaseFolder("XDG_CONFIG_HOME", "/.config");
}

std::string TUserFolders::Data() {
    return BaseFolder("XDG_DATA_HOME", "/.local/share");
}

#endif

std::string TUserFolders::SettingsFile() {
    return TUtf8::Text(TUtf8::Path(Configuration() + "/Tavimor/Tavimor.ini").make_preferred());
}
