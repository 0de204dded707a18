// File names between Qt and the engine. The engine takes and gives UTF-8 in
// the system's own spelling (backslashes on Windows), and its messages show
// names so; Qt spells them with slashes everywhere. QFile::encodeName would
// give Windows' ANSI code page, which cannot spell most names.
#pragma once

#include <QString>

#include <string>

class TEnginePath {
public:
    static std::string FromQt(const QString& name);
    static QString ToQt(const std::string& name);
};
