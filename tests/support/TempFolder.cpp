#include "tests/support/TempFolder.h"

#include <random>
#include <stdexcept>

namespace {

std::filesystem::path MakeFolderIn(const std::filesystem::path& base, const std::string& prefix) {
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path folder =
            base / (prefix + "-" + std::to_string(random() % 1000000000));
        // False when the folder exists already: someone else's.
        if (std::filesystem::create_directory(folder)) {
            return folder;
        }
    }
    throw std::runtime_error("cannot make a folder in " + base.string());
}

} // namespace

std::filesystem::path MakeTempFolder(const std::string& prefix) {
    return MakeFolderIn(std::filesystem::temp_directory_path(), prefix);
}

std::filesystem::path MakeShortTempFolder(const std::string& prefix) {
#ifdef _WIN32
    return MakeTempFolder(prefix);
#else
    return MakeFolderIn("/tmp", prefix);
#endif
}
