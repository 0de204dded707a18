#include "cli/SavedSettings.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>

namespace {

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Qt quotes a text that would otherwise not read back the same.
std::string Unquoted(const std::string& text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

} // namespace

TSavedSettings TSavedSettings::Load() {
    return LoadFile(DefaultPath());
}

std::string TSavedSettings::DefaultPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string folder;
    if (config != nullptr && config[0] == '/') {
        folder = config;
    } else if (const char* home = std::getenv("HOME")) {
        folder = std::string(home) + "/.config";
    }
    return folder + "/Tavimor/Tavimor.ini";
}

TSavedSettings TSavedSettings::LoadFile(const std::string& path) {
    TSavedSettings settings;
    std::ifstream file(path);
    std::string section;
    for (std::string line; std::getline(file, line);) {
        line = Trimmed(line);
        if (line.empty() || line[0] == ';' || line[0] == '#') {
            continue;
        }
        if (line.front() == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos) {
            const std::string name = Trimmed(line.substr(0, equals));
            settings.Values[section + "/" + name] = Unquoted(Trimmed(line.substr(equals + 1)));
        }
    }
    return settings;
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
