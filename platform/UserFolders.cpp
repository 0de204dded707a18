#include "platform/UserFolders.h"

#include <cstdlib>

namespace {

std::string BaseFolder(const char* variable, const char* inHome) {
    const char* folder = std::getenv(variable);
    if (folder != nullptr && folder[0] == '/') {
        return folder;
    }
    const char* home = std::getenv("HOME");
    return home != nullptr ? std::string(home) + inHome : std::string();
}

} // namespace

std::string TUserFolders::Configuration() {
    return BaseFolder("XDG_CONFIG_HOME", "/.config");
}

std::string TUserFolders::Data() {
    return BaseFolder("XDG_DATA_HOME", "/.local/share");
}
