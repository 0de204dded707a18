// A new, empty folder of a test's own for its files, made on every system
// (mkdtemp is POSIX only).
#pragma once

#include <filesystem>
#include <string>

// In the system's temporary folder, named prefix and a random suffix.
std::filesystem::path MakeTempFolder(const std::string& prefix);
// The same in /tmp outside Windows: a Unix socket's path in it must fit in
// about a hundred bytes, whatever TMPDIR names.
std::filesystem::path MakeShortTempFolder(const std::string& prefix);
