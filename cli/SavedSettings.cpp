#include "cli/SavedSettings.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/UserFolders.h"
#include "platform/Utf8.h"

TSavedSettings TSavedSettings::Load() {
    return LoadFile(DefaultPath());
}

std::string TSavedSettings::DefaultPath() {
    return TUserFolders::SettingsFile();
}

TSavedSettings TSavedSettings::LoadFile(const std::string& path) {
    TSavedSettings settings;
    std::ifstream file(TUtf8::Path(path), std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    settings.Values = TIniText::Parse(text);
    return settings;
}

std::string TSavedSettings::Text(const std::string& section, const std::string& name) const {
    const auto found = Values.find(section + "/" + name);
    return found == Values.end() ? std::string() : found->second;
}

std::optional<int> TSavedSettings::Integer(const std::string& section,
                                           const std::string& name) const {
    const auto found = Values.find(section + "/" + name);
    if (found == Values.end() || found->second.empty()) {
        return std::nullopt;
    }
    const std::string& text = found->second;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* start = text.c_str() + (hex ? 2 : 0);
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(start, &end, hex ? 16 : 10);
    if (end == start || *end != '\0' || errno != 0 || value < INT_MIN || value > INT_MAX) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}
