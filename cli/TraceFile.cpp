#include "cli/TraceFile.h"

#include <cstdlib>
#include <fstream>

#include "debug/DebugDevice.h"

bool TTraceFile::Open(const std::string& file, std::string& error) {
    std::error_code failure;
    const std::filesystem::path target = std::filesystem::absolute(file, failure);
    // Made (or emptied) here, so that a file that cannot be written is told
    // now and not lost in silence.
    if (failure || !std::ofstream(target, std::ios::trunc)) {
        error = "cannot write the trace file " + file;
        return false;
    }
    std::string pattern = (std::filesystem::temp_directory_path() / "tavimor-cli-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        error = "cannot make a folder for the trace";
        return false;
    }
    Folder = pattern;
    std::filesystem::create_symlink(target, Folder / "Debug.txt", failure);
    if (failure) {
        error = "cannot link the trace file " + file + ": " + failure.message();
        return false;
    }
    TDebugDevice::SetFileFolder(Folder.string());
    TDebugDevice::SetMedia(dmFile);
    TDebugDevice::Open();
    return true;
}

TTraceFile::~TTraceFile() {
    if (!Folder.empty()) {
        TDebugDevice::Close();
        std::error_code ignored;
        std::filesystem::remove_all(Folder, ignored);
    }
}
