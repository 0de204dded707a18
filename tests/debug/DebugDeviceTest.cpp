#include "debug/DebugDevice.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#endif

#include "platform/Socket.h"
#include "platform/SocketAddress.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TraceCapture.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void SetVariable(const std::string& name, const std::optional<std::string>& value) {
#ifdef _WIN32
    // An empty value removes the variable.
    _putenv_s(name.c_str(), value ? value->c_str() : "");
#else
    if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
    } else {
        ::unsetenv(name.c_str());
    }
#endif
}

#ifdef _WIN32

// Where the trace falls back to when the program's folder cannot be written.
constexpr const char* UserDataVariable = "APPDATA";

fs::path ExecutableFolder() {
    std::wstring name(MAX_PATH, L'\0');
    name.resize(GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size())));
    return fs::path(name).parent_path();
}

// The test's stand-in for the trace monitor: the named pipe a QLocalServer
// listens on. It ends with the monitor, so the address is the same for every
// test.
class TMonitorListener {
public:
    explicit TMonitorListener(const fs::path& address) {
        FPipe = CreateNamedPipeW(address.wstring().c_str(), PIPE_ACCESS_INBOUND,
                                 PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0,
                                 nullptr);
        EXPECT_NE(FPipe, INVALID_HANDLE_VALUE);
    }
    ~TMonitorListener() { StopListening(); }
    // A client that came before the call is connected all the same.
    bool Accept() {
        return ConnectNamedPipe(FPipe, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED;
    }
    void StopListening() {
        if (FPipe != INVALID_HANDLE_VALUE) {
            CloseHandle(FPipe);
            FPipe = INVALID_HANDLE_VALUE;
        }
    }
    // Up to `size` bytes, ending early when the client has gone or after five
    // quiet seconds, so that a fault fails the test instead of hanging.
    std::string Read(std::size_t size) {
        std::string text;
        auto quietUntil = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (text.size() < size && std::chrono::steady_clock::now() < quietUntil) {
            DWORD waiting = 0;
            if (!PeekNamedPipe(FPipe, nullptr, 0, nullptr, &waiting, nullptr)) {
                break;
            }
            if (waiting == 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                continue;
            }
            char buffer[256];
            DWORD count = 0;
            if (!ReadFile(FPipe, buffer,
                          static_cast<DWORD>(
                              std::min<std::size_t>({sizeof buffer, size - text.size(), waiting})),
                          &count, nullptr)) {
                break;
            }
            text.append(buffer, count);
            quietUntil = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        }
        return text;
    }
    // Whether the client closes its end within five seconds.
    bool SeesTheEnd() {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        DWORD waiting = 0;
        while (PeekNamedPipe(FPipe, nullptr, 0, nullptr, &waiting, nullptr) && waiting == 0) {
            if (std::chrono::steady_clock::now() > until) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return GetLastError() == ERROR_BROKEN_PIPE;
    }

private:
    HANDLE FPipe = INVALID_HANDLE_VALUE;
};

#else

constexpr const char* UserDataVariable = "XDG_DATA_HOME";

fs::path ExecutableFolder() {
    return fs::read_symlink("/proc/self/exe").parent_path();
}

// Reads from a descriptor until `size` bytes or end of stream, giving up
// after five quiet seconds so that a fault fails the test instead of hanging.
std::string ReadFrom(int descriptor, std::size_t size) {
    std::string text;
    char buffer[256];
    pollfd wanted{descriptor, POLLIN, 0};
    while (text.size() < size && ::poll(&wanted, 1, 5000) > 0) {
        const ssize_t count =
            ::read(descriptor, buffer, std::min(sizeof buffer, size - text.size()));
        if (count <= 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(count));
    }
    return text;
}

// The test's stand-in for the trace monitor: a listening local socket.
class TMonitorListener {
public:
    explicit TMonitorListener(const fs::path& address) {
        std::string error;
        const auto own = TSocketAddress::Parse("unix:" + address.string(), error);
        EXPECT_TRUE(own) << error;
        if (own) {
            FListener = TSocket::Listen(*own, error);
            EXPECT_TRUE(FListener.IsOpen()) << error;
        }
    }
    bool Accept() {
        FConnection = FListener.Accept();
        return FConnection.IsOpen();
    }
    // Closes both sockets but leaves the socket file, as a crashed monitor does.
    void StopListening() {
        FConnection.Close();
        FListener.Close();
    }
    std::string Read(std::size_t size) const { return ReadFrom(FConnection.Get(), size); }
    // Whether the client closes its end within five seconds.
    bool SeesTheEnd() const {
        pollfd wanted{FConnection.Get(), POLLIN, 0};
        char more = 0;
        return ::poll(&wanted, 1, 5000) == 1 && ::read(FConnection.Get(), &more, 1) == 0;
    }

private:
    TSocket FListener;
    TSocket FConnection;
};

// A pseudo-terminal whose slave side stands in for the serial port.
class TPseudoTerminal {
public:
    TPseudoTerminal() {
        FMaster = ::posix_openpt(O_RDWR | O_NOCTTY);
        EXPECT_GE(FMaster, 0);
        EXPECT_EQ(::grantpt(FMaster), 0);
        EXPECT_EQ(::unlockpt(FMaster), 0);
        SlaveName = ::ptsname(FMaster);
    }
    ~TPseudoTerminal() { ::close(FMaster); }
    std::string Read(std::size_t size) const { return ReadFrom(FMaster, size); }
    // The master side reports the slave's line settings.
    termios LineSettings() const {
        termios line{};
        ::tcgetattr(FMaster, &line);
        return line;
    }

    std::string SlaveName;

private:
    int FMaster = -1;
};

#endif

class DebugDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Short: the monitor's socket file lies in it.
        Folder = MakeShortTempFolder("tavimor-debug");
        TDebugDevice::SetFileFolder(Folder.string());
        // A trace that falls back to the user's folder stays in the test's.
        SetEnvironment(UserDataVariable, (Folder / "data").string());
    }

    void TearDown() override {
        TDebugDevice::Close();
        TDebugDevice::SetMedia(dmNull);
        TDebugDevice::SetFileFolder("");
        TDebugDevice::SetSerialPort("");
        for (const auto& [name, value] : SavedEnvironment) {
            SetVariable(name, value);
        }
        fs::remove_all(Folder);
    }

    // Sets the variable for this test; TearDown restores it.
    void SetEnvironment(const std::string& name, const std::string& value) {
        if (SavedEnvironment.count(name) == 0) {
            const char* saved = std::getenv(name.c_str());
            SavedEnvironment[name] = saved ? std::optional<std::string>(saved) : std::nullopt;
        }
        SetVariable(name, value);
    }

#ifdef _WIN32
    // A pipe's name is the same from every folder.
    fs::path PrivateMonitorAddress() {
        return R"(\\.\pipe\Pellomir.Ole)";
    }
#else
    // Makes this test's folder the temporary folder where the monitor listens.
    fs::path PrivateMonitorAddress() {
        SetEnvironment("TMPDIR", Folder.string());
        return Folder / "Pellomir.Ole";
    }
#endif

    std::string TraceFile() const {
        return ReadAll(Folder / "Debug.txt");
    }

    static void OpenOn(TDebugMedia media) {
        TDebugDevice::SetMedia(media);
        TDebugDevice::Open();
    }

    fs::path Folder;
    std::map<std::string, std::optional<std::string>> SavedEnvironment;
};

TEST_F(DebugDeviceTest, FileHoldsBannersAndTextByteForByte) {
    EXPECT_EQ(DebugDevice, nullptr);
    OpenOn(dmFile);
    // No data module yet: a null device traces all the same.
    DebugWriteLn(DebugDevice, "Probe sent");
    TDebugDevice::Write("raw");
    TDebugDevice::WriteBool(true);
    TDebugDevice::WriteBool(false);
    TDebugDevice::Close();
    EXPECT_EQ(TraceFile(), TTraceCapture::StartBanner + "Probe sent\r\nrawtrue false " +
                               TTraceCapture::EndBanner);
}

TEST_F(DebugDeviceTest, OpenAndCloseHaveNoEffectTheSecondTime) {
    OpenOn(dmFile);
    TDebugDevice::Open();
    TDebugDevice::Close();
    TDebugDevice::Close();
    TDebugDevice::Write("after close");
    EXPECT_EQ(TraceFile(), TTraceCapture::StartBanner + TTraceCapture::EndBanner);
}

TEST_F(DebugDeviceTest, MediaChangesOnlyWhileClosedAndIsSharedByAllDevices) {
    TDebugDevice first;
    TDebugDevice second;
    first.SetMedia(dmFile);
    EXPECT_EQ(second.Media(), dmFile);
    TDebugDevice::Open();
    second.SetMedia(dmNull);
    EXPECT_EQ(first.Media(), dmFile);
    TDebugDevice::Close();
    second.SetMedia(dmSerial);
    EXPECT_EQ(first.Media(), dmSerial);
}

TEST_F(DebugDeviceTest, FileIsTruncatedAtEachOpen) {
    std::ofstream(Folder / "Debug.txt") << std::string(1000, 'x');
    OpenOn(dmFile);
    DebugWriteLn(DebugDevice, "first");
    TDebugDevice::Close();
    TDebugDevice::Open();
    DebugWriteLn(DebugDevice, "second");
    TDebugDevice::Close();
    EXPECT_EQ(TraceFile(), TTraceCapture::StartBanner + "second\r\n" + TTraceCapture::EndBanner);
}

TEST_F(DebugDeviceTest, NullMediumOpensButWritesNothing) {
    OpenOn(dmNull);
    DebugWriteLn(DebugDevice, "lost");
    TDebugDevice::Close();
    EXPECT_TRUE(fs::is_empty(Folder));
}

TEST_F(DebugDeviceTest, FileLiesBesideTheExecutableByDefault) {
    TDebugDevice::SetFileFolder("");
    const fs::path path = ExecutableFolder() / "Debug.txt";
    OpenOn(dmFile);
    EXPECT_EQ(TDebugDevice::FilePath(), path.string());
    TDebugDevice::Close();
    EXPECT_EQ(ReadAll(path), TTraceCapture::StartBanner + TTraceCapture::EndBanner);
    fs::remove(path);
}

// As for an installed program, whose folder the user cannot write.
TEST_F(DebugDeviceTest, FileFallsBackToTheUserDataFolderWhereItsFolderCannotBeWritten) {
    TDebugDevice::SetFileFolder((Folder / "missing").string());
    OpenOn(dmFile);
    const fs::path path = Folder / "data" / "Tavimor" / "Debug.txt";
    EXPECT_EQ(TDebugDevice::FilePath(), path.string());
    DebugWriteLn(DebugDevice, "here");
    TDebugDevice::Close();
    EXPECT_EQ(TDebugDevice::FilePath(), "");
    EXPECT_EQ(ReadAll(path), TTraceCapture::StartBanner + "here\r\n" + TTraceCapture::EndBanner);
    EXPECT_FALSE(fs::exists(Folder / "missing"));
}

TEST_F(DebugDeviceTest, SwitchIsMatchedWholeAndRegardlessOfCase) {
    EXPECT_EQ(ParseDebugSwitch("/DF"), dmFile);
    EXPECT_EQ(ParseDebugSwitch("/df"), dmFile);
    EXPECT_EQ(ParseDebugSwitch("/Dw"), dmWindow);
    EXPECT_EQ(ParseDebugSwitch("/dS"), dmSerial);
    for (const char* other : {"", "/D", "/DFX", "DF", "-DF", "/DX", " /DF"}) {
        EXPECT_EQ(ParseDebugSwitch(other), dmNull) << other;
    }
}

TEST_F(DebugDeviceTest, StartUpWithoutSwitchKeepsTheDeviceOpenOnNull) {
    EXPECT_EQ(ConfigureDebugDevice("/df"), std::nullopt);
    DebugWriteLn(DebugDevice, "traced");
    EXPECT_EQ(ConfigureDebugDevice(""), std::nullopt);
    // The data module's stored serial medium is then ignored.
    OpenOn(dmSerial);
    EXPECT_EQ(TDebugDevice::Media(), dmNull);
    EXPECT_EQ(TraceFile(), TTraceCapture::StartBanner + "traced\r\n" + TTraceCapture::EndBanner);
}

TEST_F(DebugDeviceTest, StartUpReportsAnUnreachableMonitorWithoutThrowing) {
    PrivateMonitorAddress();
    const std::optional<std::string> error = ConfigureDebugDevice("/DW");
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->find("Pellomir.Ole"), std::string::npos);
    // Still closed: the data module's medium takes effect.
    TDebugDevice::SetMedia(dmFile);
    EXPECT_EQ(TDebugDevice::Media(), dmFile);
}

TEST_F(DebugDeviceTest, WindowMediumSendsTheTraceToTheMonitor) {
    TMonitorListener monitor(PrivateMonitorAddress());
    OpenOn(dmWindow);
    ASSERT_TRUE(monitor.Accept());
    DebugWriteLn(DebugDevice, "to the window");
    TDebugDevice::WriteBool(false);
    TDebugDevice::Close();
    const std::string session =
        TTraceCapture::StartBanner + "to the window\r\nfalse " + TTraceCapture::EndBanner;
    EXPECT_EQ(monitor.Read(session.size()), session);
    // Close releases the connection: the monitor sees the session end.
    EXPECT_TRUE(monitor.SeesTheEnd());
}

TEST_F(DebugDeviceTest, WindowMediumFailsToOpenWhenNothingListens) {
    [[maybe_unused]] const fs::path address = PrivateMonitorAddress();
    TDebugDevice::SetMedia(dmWindow);
    EXPECT_THROW(TDebugDevice::Open(), EDebugDeviceError);
#ifndef _WIN32
    // A monitor that crashed leaves its socket file behind (a pipe goes with
    // its server).
    TMonitorListener(address).StopListening();
    ASSERT_TRUE(fs::exists(address));
    EXPECT_THROW(TDebugDevice::Open(), EDebugDeviceError);
#endif
    TDebugDevice::Write("discarded");
    TDebugDevice::SetMedia(dmNull);
    EXPECT_EQ(TDebugDevice::Media(), dmNull);
}

TEST_F(DebugDeviceTest, MonitorGoingAwayDoesNotStopTheProgram) {
    TMonitorListener monitor(PrivateMonitorAddress());
    OpenOn(dmWindow);
    ASSERT_TRUE(monitor.Accept());
    monitor.StopListening();
    // The first write after the peer has gone draws a reset, the next ones
    // would raise SIGPIPE.
    for (int line = 0; line < 3; ++line) {
        DebugWriteLn(DebugDevice, "nobody reads this");
    }
    TDebugDevice::Close();
    SUCCEED();
}

// Windows has no pseudo-terminal to stand in for a serial port.
#ifndef _WIN32
TEST_F(DebugDeviceTest, SerialMediumWritesRawAt19200Baud8N1) {
    TPseudoTerminal port;
    TDebugDevice::SetSerialPort(port.SlaveName);
    OpenOn(dmSerial);
    DebugWriteLn(DebugDevice, "on the line");
    const std::string session = TTraceCapture::StartBanner + "on the line\r\n";
    EXPECT_EQ(port.Read(session.size()), session);
    const termios line = port.LineSettings();
    EXPECT_EQ(::cfgetospeed(&line), B19200);
    EXPECT_EQ(::cfgetispeed(&line), B19200);
    EXPECT_EQ(line.c_cflag & (CSIZE | PARENB | CSTOPB), static_cast<tcflag_t>(CS8));
    TDebugDevice::Close();
    EXPECT_EQ(port.Read(TTraceCapture::EndBanner.size()), TTraceCapture::EndBanner);
}

#endif

TEST_F(DebugDeviceTest, SerialPortThatCannotBeOpenedLeavesTheDeviceClosed) {
    TDebugDevice::SetSerialPort((Folder / "ttyMissing").string());
    OpenOn(dmSerial);
    TDebugDevice::Write("discarded");
    TDebugDevice::SetMedia(dmFile);
    EXPECT_EQ(TDebugDevice::Media(), dmFile);
}

#ifndef _WIN32
TEST_F(DebugDeviceTest, FileSwitchWithNoWritableFolderEndsOnTheSerialPort) {
    TPseudoTerminal port;
    TDebugDevice::SetSerialPort(port.SlaveName);
    TDebugDevice::SetFileFolder((Folder / "missing").string());
    // A user data folder below a plain file cannot be made, even by root.
    std::ofstream(Folder / "plain");
    SetEnvironment(UserDataVariable, (Folder / "plain" / "data").string());
    EXPECT_EQ(ConfigureDebugDevice("/DF"), std::nullopt);
    // What the data module does when it is created.
    OpenOn(dmSerial);
    EXPECT_EQ(TDebugDevice::Media(), dmSerial);
    EXPECT_EQ(port.Read(TTraceCapture::StartBanner.size()), TTraceCapture::StartBanner);
}
#endif

} // namespace
