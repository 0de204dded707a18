#include "eps/Names.h"

#include "eps/ParameterBlocks.h"

namespace {

// Plain ASCII case rules: the sampler's set has no other letters, and a
// locale must not turn a name into something the sampler cannot show.
bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
char ToUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
char ToLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ' || c == 0x7F;
}

} // namespace

std::string DecodeName(std::span<const std::int32_t, 12> words) {
    std::string name;
    bool wordStart = true;
    for (std::int32_t word : words) {
        const char c = ToLower(static_cast<char>(HighByte(word)));
        if (!IsLetter(c)) {
            wordStart = true;
            name += c;
        } else {
            name += wordStart ? ToUpper(c) : c;
            wordStart = false;
        }
    }
    while (!name.empty() && IsBlankOrControl(name.back())) {
        name.pop_back();
    }
    return name;
}

void EncodeName(std::span<std::int32_t, 12> words, std::string_view text) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        char c = i < text.size() ? ToUpper(text[i]) : ' ';
        if (NameCharacters.find(c) == std::string_view::npos) {
            c = ' ';
        }
        words[i] = static_cast<unsigned char>(c) << 8;
    }
}

std::string NameAsUtf8(std::string_view name) {
    std::string text;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xC0 | byte >> 6);
            text += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return text;
}
