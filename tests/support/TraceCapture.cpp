#include "tests/support/TraceCapture.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "debug/DebugDevice.h"
#include "tests/support/TempFolder.h"

TTraceCapture::TTraceCapture() {
    Folder = MakeTempFolder("tavimor-trace");
    TDebugDevice::Close();
    TDebugDevice::SetFileFolder(Folder.string());
    TDebugDevice::SetMedia(dmFile);
    TDebugDevice::Open();
}

TTraceCapture::~TTraceCapture() {
    TDebugDevice::Close();
    TDebugDevice::SetMedia(dmNull);
    TDebugDevice::SetFileFolder("");
    std::filesystem::remove_all(Folder);
}

// The file medium writes through a buffered stream and truncates at each
// open: the trace so far is read after closing, kept, and the device reopened.
std::string TTraceCapture::Text() {
    TDebugDevice::Close();
    std::ifstream file(Folder / "Debug.txt", std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (text.starts_with(StartBanner)) {
        text.erase(0, StartBanner.size());
    }
    if (text.ends_with(EndBanner)) {
        text.erase(text.size() - EndBanner.size());
    }
    Kept += text;
    TDebugDevice::Open();
    return Kept;
}

void TTraceCapture::Clear() {
    Text();
    Kept.clear();
}
