#include "platform/Utf8.h"

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>
#endif

std::filesystem::path TUtf8::Path(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string TUtf8::Text(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

#ifdef _WIN32

std::wstring TUtf8::Wide(const std::string& text) {
    const int size = static_cast<int>(text.size());
    std::wstring wide(
        static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0)),
        L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

std::string TUtf8::FromWide(const std::wstring& text) {
    const int size = static_cast<int>(text.size());
    std::string narrow(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), size,
                                                                    nullptr, 0, nullptr, nullptr)),
                       '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, narrow.data(),
                        static_cast<int>(narrow.size()), nullptr, nullptr);
    return narrow;
}

std::FILE* TUtf8::Open(const std::string& name, const char* mode) {
    return _wfopen(Wide(name).c_str(), Wide(mode).c_str());
}

std::vector<std::string> TUtf8::Arguments(int, char**) {
    int count = 0;
    wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) {
        arguments.push_back(FromWide(words[i]));
    }
    LocalFree(words);
    return arguments;
}

void TUtf8::UseConsole() {
    SetConsoleOutputCP(CP_UTF8);
}

#else

std::FILE* TUtf8::Open(const std::string& name, const char* mode) {
    return std::fopen(name.c_str(), mode);
}

std::vector<std::string> TUtf8::Arguments(int argc, char** argv) {
    return {argv + 1, argv + argc};
}

void TUtf8::UseConsole() {}

#endif
