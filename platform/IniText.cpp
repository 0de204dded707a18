#include "platform/IniText.h"

#include <cstdint>

namespace {

constexpr std::string_view Blanks = " \t\r";
constexpr std::string_view TopLevelSection = "General";

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(Blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(Blanks) - first + 1);
}

void AppendUtf8(std::string& text, std::uint32_t code) {
    if (code < 0x80) {
        text += static_cast<char>(code);
    } else if (code < 0x800) {
        text += static_cast<char>(0xC0 | (code >> 6));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        text += static_cast<char>(0xE0 | (code >> 12));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
}

int DigitValue(char c, int base) {
    int value = base;
    if (c >= '0' && c <= '9') {
        value = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    }
    return value < base ? value : -1;
}

// A numeric escape after its introducer: at most four digits, so that a
// value cannot grow past one 16-bit character.
std::uint32_t NumericEscape(std::string_view text, std::size_t& i, int base) {
    std::uint32_t code = 0;
    for (int digits = 0; digits < 4 && i < text.size(); ++digits) {
        const int digit = DigitValue(text[i], base);
        if (digit < 0) {
            break;
        }
        code = code * base + digit;
        ++i;
    }
    return code;
}

// The escape starting after the backslash at text[i - 1]; i moves past it.
void AppendEscape(std::string& value, std::string_view text, std::size_t& i) {
    static constexpr std::string_view Letters = "abfnrtv";
    static constexpr std::string_view Controls = "\a\b\f\n\r\t\v";
    const char c = text[i++];
    if (const std::size_t letter = Letters.find(c); letter != std::string_view::npos) {
        value += Controls[letter];
    } else if (c == 'x') {
        AppendUtf8(value, NumericEscape(text, i, 16));
    } else if (c >= '0' && c <= '7') {
        --i;
        AppendUtf8(value, NumericEscape(text, i, 8));
    } else {
        value += c;
    }
}

bool NeedsQuotes(std::string_view value) {
    return value.find_first_of(";,=\"") != std::string_view::npos ||
           (!value.empty() && (Blanks.find(value.front()) != std::string_view::npos ||
                               Blanks.find(value.back()) != std::string_view::npos));
}

void AppendEscaped(std::string& text, char c) {
    static constexpr char Hex[] = "0123456789abcdef";
    switch (c) {
    case '\\':
        text += "\\\\";
        break;
    case '"':
        text += "\\\"";
        break;
    case '\n':
        text += "\\n";
        break;
    case '\r':
        text += "\\r";
        break;
    case '\t':
        text += "\\t";
        break;
    default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            text += "\\x00";
            text += Hex[(c >> 4) & 0xF];
            text += Hex[c & 0xF];
        } else {
            text += c;
        }
    }
}

} // namespace

std::string TIniText::ParseValue(std::string_view text) {
    std::string value;
    std::size_t keep = 0; // the length without trailing blanks outside quotes
    bool quoted = false;
    for (std::size_t i = text.find_first_not_of(Blanks); i < text.size();) {
        const char c = text[i++];
        if (c == '"') {
            quoted = !quoted;
            keep = value.size();
        } else if (c == '\\' && i < text.size()) {
            AppendEscape(value, text, i);
            keep = value.size();
        } else if (c == ';' && !quoted) {
            break;
        } else {
            value += c;
            if (quoted || Blanks.find(c) == std::string_view::npos) {
                keep = value.size();
            }
        }
    }
    value.resize(keep);
    // A text that itself begins with "@" is written with the "@" doubled.
    if (value.starts_with("@@")) {
        value.erase(0, 1);
    }
    return value;
}

TIniValues TIniText::Parse(std::string_view text) {
    TIniValues values;
    std::string prefix;
    // Some editors put a byte order mark in front of UTF-8 text.
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = Trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#') {
            continue;
        }
        if (line.front() == '[' && line.back() == ']') {
            const std::string_view section = Trimmed(line.substr(1, line.size() - 2));
            prefix = section == TopLevelSection ? std::string() : std::string(section) + '/';
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals != std::string_view::npos) {
            values[prefix + std::string(Trimmed(line.substr(0, equals)))] =
                ParseValue(line.substr(equals + 1));
        }
    }
    return values;
}

std::string TIniText::FormatValue(std::string_view value) {
    std::string text = value.starts_with('@') ? "@" : "";
    const bool quotes = NeedsQuotes(value);
    if (quotes) {
        text += '"';
    }
    for (const char c : value) {
        AppendEscaped(text, c);
    }
    if (quotes) {
        text += '"';
    }
    return text;
}

std::string TIniText::Format(const TIniValues& values) {
    // Names outside any section come first, as Qt writes them.
    std::map<std::string, std::string> sections;
    for (const auto& [key, value] : values) {
        const std::size_t slash = key.find('/');
        const std::string section =
            slash == std::string::npos ? std::string() : key.substr(0, slash);
        const std::string name = slash == std::string::npos ? key : key.substr(slash + 1);
        sections[section] += name + '=' + FormatValue(value) + '\n';
    }
    std::string text;
    for (const auto& [section, lines] : sections) {
        if (!text.empty()) {
            text += '\n';
        }
        text += '[' + (section.empty() ? std::string(TopLevelSection) : section) + "]\n" + lines;
    }
    return text;
}
