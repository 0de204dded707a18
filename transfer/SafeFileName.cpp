#include "transfer/SafeFileName.h"

#include <cctype>

std::string SafeFileName(const std::string& name, const std::string& unnamed) {
    std::string safe;
    for (const char c : name) {
        const bool keep = std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '+';
        safe += keep ? c : '_';
    }
    return safe.empty() ? unnamed : safe;
}
