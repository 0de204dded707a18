#include "debug/DebugChannel.h"

#include "debug/DebugDeviceError.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#ifdef _WIN32
#include <windows.h>

#include "platform/Utf8.h"
#else
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace {

constexpr const char* MonitorName = "Pellomir.Ole";

// The operating-system primitives behind the channel. Each returns or takes a
// handle that is -1 when invalid.
#ifdef _WIN32

// The monitor is a QLocalServer, which listens on a named pipe on Windows.
std::string MonitorAddress() {
    return std::string(R"(\\.\pipe\)") + MonitorName;
}

std::string LastErrorText() {
    return "system error " + std::to_string(GetLastError());
}

std::intptr_t ConnectHandle(const std::string& address) {
    HANDLE pipe = CreateFileW(TUtf8::Wide(address).c_str(), GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    return reinterpret_cast<std::intptr_t>(pipe);
}

std::intptr_t OpenSerialHandle(const std::string& port) {
    HANDLE handle = CreateFileW(TUtf8::Wide(port).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return -1;
    }
    SetupComm(handle, 1024, 1024);
    DCB line{};
    line.DCBlength = sizeof line;
    BuildCommDCBA("baud=19200 parity=N data=8 stop=1", &line);
    SetCommState(handle, &line);
    return reinterpret_cast<std::intptr_t>(handle);
}

void WriteHandle(std::intptr_t handle, bool, std::string_view text) {
    DWORD written = 0;
    WriteFile(reinterpret_cast<HANDLE>(handle), text.data(), static_cast<DWORD>(text.size()),
              &written, nullptr);
}

void CloseHandleOf(std::intptr_t handle) {
    CloseHandle(reinterpret_cast<HANDLE>(handle));
}

#else

// The monitor is a QLocalServer, which on Unix listens on a socket file in
// Qt's temporary folder: $TMPDIR, or /tmp when that is not set.
std::string MonitorAddress() {
    const char* variable = std::getenv("TMPDIR");
    std::string folder = variable != nullptr && *variable != '\0' ? variable : "/tmp";
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    return folder + "/" + MonitorName;
}

std::string LastErrorText() {
    return std::strerror(errno);
}

std::intptr_t ConnectHandle(const std::string& address) {
    sockaddr_un peer{};
    peer.sun_family = AF_UNIX;
    if (address.size() >= sizeof peer.sun_path) {
        errno = ENAMETOOLONG;
        return -1;
    }
    std::memcpy(peer.sun_path, address.c_str(), address.size() + 1);
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0 || ::connect(socket, reinterpret_cast<sockaddr*>(&peer), sizeof peer) == 0) {
        return socket;
    }
    const int error = errno;
    ::close(socket);
    errno = error;
    return -1;
}

void ApplyLineSettings(int port) {
    termios line{};
    ::tcgetattr(port, &line);
    // Raw: the trace's CR LF must reach the line unchanged.
    ::cfmakeraw(&line);
    ::cfsetispeed(&line, B19200);
    ::cfsetospeed(&line, B19200);
    line.c_cflag &= ~(PARENB | CSTOPB | CSIZE | CRTSCTS);
    line.c_cflag |= CS8 | CLOCAL | CREAD;
    ::tcsetattr(port, TCSANOW, &line);
}

std::intptr_t OpenSerialHandle(const std::string& port) {
    // Opened non-blocking so that a line without carrier cannot hang the open.
    const int handle = ::open(port.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (handle < 0) {
        return -1;
    }
    ::ioctl(handle, TIOCEXCL);
    ApplyLineSettings(handle);
    // From here on writes wait until the port has taken the bytes.
    ::fcntl(handle, F_SETFL, 0);
    return handle;
}

void WriteHandle(std::intptr_t handle, bool isSocket, std::string_view text) {
    const int descriptor = static_cast<int>(handle);
    while (!text.empty()) {
        // MSG_NOSIGNAL: a monitor that has gone away must not raise SIGPIPE.
        const ssize_t written = isSocket
                                    ? ::send(descriptor, text.data(), text.size(), MSG_NOSIGNAL)
                                    : ::write(descriptor, text.data(), text.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
}

void CloseHandleOf(std::intptr_t handle) {
    ::close(static_cast<int>(handle));
}

#endif

} // namespace

TDebugChannel::TDebugChannel(TDebugChannel&& other) noexcept
    : FHandle(std::exchange(other.FHandle, -1)), FIsSocket(other.FIsSocket) {}

TDebugChannel& TDebugChannel::operator=(TDebugChannel&& other) noexcept {
    if (this != &other) {
        Close();
        FHandle = std::exchange(other.FHandle, -1);
        FIsSocket = other.FIsSocket;
    }
    return *this;
}

TDebugChannel TDebugChannel::ConnectMonitor() {
    const std::string address = MonitorAddress();
    const std::intptr_t handle = ConnectHandle(address);
    if (handle == -1) {
        throw EDebugDeviceError("Cannot reach the debug monitor at " + address + ": " +
                                LastErrorText());
    }
    return TDebugChannel(handle, true);
}

TDebugChannel TDebugChannel::OpenSerial(const std::string& port) {
    return TDebugChannel(OpenSerialHandle(port), false);
}

void TDebugChannel::Write(std::string_view text) const {
    if (IsOpen()) {
        WriteHandle(FHandle, FIsSocket, text);
    }
}

void TDebugChannel::Close() {
    if (IsOpen()) {
        CloseHandleOf(std::exchange(FHandle, -1));
    }
}
