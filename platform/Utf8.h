// Text is UTF-8 throughout the programs. Windows keeps its file names, its
// command line and its folders in UTF-16 and reads narrow names in the ANSI
// code page, which cannot spell most names; these are the ways in and out
// that keep every character, and the same plain calls elsewhere.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

class TUtf8 {
public:
    // The path that UTF-8 text names.
    static std::filesystem::path Path(const std::string& text);
    // The path as UTF-8 text.
    static std::string Text(const std::filesystem::path& path);
    // std::fopen of a file named in UTF-8; null when it cannot be opened.
    static std::FILE* Open(const std::string& name, const char* mode);
    // The program's arguments after its name. Windows gives main() them in
    // the ANSI code page, so there they come from the wide command line.
    static std::vector<std::string> Arguments(int argc, char** argv);
    // Lets a Windows console show the UTF-8 we write; nothing elsewhere.
    static void UseConsole();
#ifdef _WIN32
    static std::wstring Wide(const std::string& text);
    static std::string FromWide(const std::wstring& text);
#endif
};
