#include "cli/TraceFile.h"

#include <filesystem>
#include <fstream>

#include "debug/DebugDevice.h"
#include "platform/Utf8.h"

bool TTraceFile::Open(const std::string& file, std::string& error) {
    std::error_code failure;
    const std::filesystem::path target = std::filesystem::absolute(TUtf8::Path(file), failure);
    // Made (or emptied) here, so that a file that cannot be written is told
    // now and not lost in silence.
    if (failure || !std::ofstream(target, std::ios::trunc)) {
        error = "cannot write the trace file " + file;
        return false;
    }
    TDebugDevice::SetFileFolder(TUtf8::Text(target.parent_path()));
    TDebugDevice::SetFileName(TUtf8::Text(target.filename()));
    TDebugDevice::SetMedia(dmFile);
    TDebugDevice::Open();
    Opened = true;
    return true;
}

TTraceFile::~TTraceFile() {
    if (Opened) {
        TDebugDevice::Close();
    }
}
