// The text of the settings file kept between runs, in the INI dialect that
// Qt's settings files use: "[section]" lines, "name=value" lines, values
// quoted and backslash-escaped where they would not read back as they are.
//
// Every value is read as plain text. Qt would also decode "@Variant(...)" and
// similar forms into binary data; a damaged file can make that decoding ask
// for gigabytes, so this reader never does it: such a value stays text, is no
// number, and a reader of integers falls back to its default.
#pragma once

#include <map>
#include <string>
#include <string_view>

// "section/name" -> value; a name outside any section (section "General")
// has no "section/" in front.
using TIniValues = std::map<std::string, std::string>;

class TIniText {
public:
    static TIniValues Parse(std::string_view text);
    static std::string Format(const TIniValues& values);

    // One value as it stands after "name=" (quotes, escapes, comments).
    static std::string ParseValue(std::string_view text);
    static std::string FormatValue(std::string_view value);
};
