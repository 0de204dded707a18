#include "emulator/SamplerName.h"

#include <cstring>

void TSamplerName::Encode(const std::string& text, std::uint16_t* words) {
    for (int i = 0; i < Length; ++i) {
        char c = i < static_cast<int>(text.size()) ? text[i] : ' ';
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
        if (c == '\0' || std::strchr(Characters, c) == nullptr) {
            c = ' ';
        }
        words[i] = static_cast<std::uint16_t>(static_cast<unsigned char>(c) << 8);
    }
}

std::string TSamplerName::Decode(const std::uint16_t* words) {
    std::string name;
    for (int i = 0; i < Length; ++i) {
        name += static_cast<char>(words[i] >> 8);
    }
    name.erase(name.find_last_not_of(' ') + 1);
    return name;
}
