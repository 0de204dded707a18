#include "debug/DebugDevice.h"

#include "debug/DebugChannel.h"
#include "platform/UserFolders.h"
#include "platform/Utf8.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#endif

TDebugDevice* DebugDevice = nullptr;

namespace {

struct TDebugState {
    TDebugMedia Media = dmNull;
    bool IsOpen = false;
    std::ofstream File;
    std::filesystem::path FilePath;
    // The monitor connection or the serial port, whichever the medium uses.
    TDebugChannel Channel;
    std::string FileFolder;
    std::string FileName;
    std::string SerialPort;
};

// Built on first use, so that tracing works from any point of start-up.
TDebugState& State() {
    static TDebugState state;
    return state;
}

constexpr std::string_view BannerEdge = "**************************";

std::filesystem::path ExecutableFolder() {
#ifdef _WIN32
    // Wide, so that a folder named in any script is found.
    std::wstring name(32768, L'\0');
    name.resize(GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size())));
    return std::filesystem::path(name).parent_path();
#else
    std::error_code error;
    // On failure the trace goes to the current folder.
    return std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
#endif
}

constexpr const char* TraceFileName = "Debug.txt";

// Where the user's own files go (Qt's AppLocalDataLocation for Tavimor), for
// when the program's folder cannot be written, as when it is installed.
std::filesystem::path UserTraceFolder() {
    const std::string data = TUserFolders::Data();
    return data.empty() ? std::filesystem::path() : TUtf8::Path(data) / "Tavimor";
}

bool OpenTraceFileIn(TDebugState& state, const std::filesystem::path& folder) {
    state.FilePath =
        folder / (state.FileName.empty() ? TraceFileName : TUtf8::Path(state.FileName));
    // Binary, so that the CR LF line ends reach the file unchanged.
    state.File.open(state.FilePath, std::ios::out | std::ios::trunc | std::ios::binary);
    return state.File.is_open();
}

// Beside the program (or in the folder chosen instead), else in the user's
// folder.
bool OpenTraceFile(TDebugState& state) {
    const std::filesystem::path preferred =
        state.FileFolder.empty() ? ExecutableFolder() : TUtf8::Path(state.FileFolder);
    if (OpenTraceFileIn(state, preferred)) {
        return true;
    }
    const std::filesystem::path fallback = UserTraceFolder();
    if (fallback.empty()) {
        return false;
    }
    std::error_code failure;
    std::filesystem::create_directories(fallback, failure);
    return !failure && OpenTraceFileIn(state, fallback);
}

std::string DefaultSerialPort() {
#ifdef _WIN32
    // The device namespace's name, which also reaches the ports past COM9.
    return R"(\\.\COM1)";
#else
    return "/dev/ttyS0";
#endif
}

// Opens the state's medium and tells whether it is open.
bool OpenMedium(TDebugState& state) {
    switch (state.Media) {
    case dmFile:
        return OpenTraceFile(state);
    case dmWindow:
        state.Channel = TDebugChannel::ConnectMonitor();
        return true;
    case dmSerial:
        state.Channel = TDebugChannel::OpenSerial(state.SerialPort.empty() ? DefaultSerialPort()
                                                                           : state.SerialPort);
        return state.Channel.IsOpen();
    case dmNull:
        break;
    }
    return true;
}

} // namespace

TDebugMedia TDebugDevice::Media() {
    return State().Media;
}

void TDebugDevice::SetMedia(TDebugMedia media) {
    if (!State().IsOpen) {
        State().Media = media;
    }
}

void TDebugDevice::Open() {
    TDebugState& state = State();
    if (state.IsOpen) {
        return;
    }
    state.IsOpen = OpenMedium(state);
    DebugWriteLn(DebugDevice, BannerEdge);
    DebugWriteLn(DebugDevice, "* Start of debug session *");
    DebugWriteLn(DebugDevice, BannerEdge);
}

void TDebugDevice::Close() {
    TDebugState& state = State();
    if (!state.IsOpen) {
        return;
    }
    DebugWriteLn(DebugDevice, BannerEdge);
    DebugWriteLn(DebugDevice, "*  End of debug session  *");
    DebugWriteLn(DebugDevice, BannerEdge);
    DebugWriteLn(DebugDevice, "");
    DebugWriteLn(DebugDevice, "");
    state.File.close();
    // The monitor connection is released too: the monitor sees the session end.
    state.Channel.Close();
    state.IsOpen = false;
}

std::string TDebugDevice::FilePath() {
    const TDebugState& state = State();
    return state.IsOpen && state.Media == dmFile ? TUtf8::Text(state.FilePath) : std::string();
}

void TDebugDevice::Write(std::string_view text) {
    TDebugState& state = State();
    if (!state.IsOpen) {
        return;
    }
    if (state.Media == dmFile) {
        state.File.write(text.data(), static_cast<std::streamsize>(text.size()));
    } else {
        state.Channel.Write(text);
    }
}

void TDebugDevice::WriteBool(bool value) {
    Write(value ? "true " : "false ");
}

void TDebugDevice::SetFileFolder(std::string folder) {
    State().FileFolder = std::move(folder);
}

void TDebugDevice::SetFileName(std::string name) {
    State().FileName = std::move(name);
}

void TDebugDevice::SetSerialPort(std::string port) {
    State().SerialPort = std::move(port);
}

void DebugWriteLn(const TDebugDevice*, std::string_view text) {
    std::string line(text);
    line += "\r\n";
    TDebugDevice::Write(line);
}

TDebugMedia ParseDebugSwitch(std::string_view argument) {
    std::string upper(argument);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (upper == "/DF") {
        return dmFile;
    }
    if (upper == "/DW") {
        return dmWindow;
    }
    return upper == "/DS" ? dmSerial : dmNull;
}

std::optional<std::string> ConfigureDebugDevice(std::string_view firstArgument) {
    TDebugDevice::Close();
    // No switch selects no medium.
    TDebugDevice::SetMedia(ParseDebugSwitch(firstArgument));
    try {
        TDebugDevice::Open();
    } catch (const EDebugDeviceError& error) {
        return error.what();
    }
    return std::nullopt;
}
