#include "debug/DebugDevice.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <termios.h>
#include <unistd.h>

#include "tests/support/TraceCapture.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
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
        sockaddr_un own{};
        own.sun_family = AF_UNIX;
        std::strncpy(own.sun_path, address.c_str(), sizeof own.sun_path - 1);
        FListener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        EXPECT_EQ(::bind(FListener, reinterpret_cast<sockaddr*>(&own), sizeof own), 0);
        EXPECT_EQ(::listen(FListener, 4), 0);
    }
    ~TMonitorListener() { StopListening(); }
    int Accept() { return FConnection = ::accept(FListener, nullptr, nullptr); }
    // Closes both sockets but leaves the socket file, as a crashed monitor does.
    void StopListening() {
        ::close(FConnection);
        ::close(FListener);
        FConnection = FListener = -1;
    }

private:
    int FListener = -1;
    int FConnection = -1;
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

class DebugDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tavimor-debug-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        Folder = pattern;
        TDebugDevice::SetFileFolder(Folder.string());
        // A trace that falls back to the user's folder stays in the test's.
        SetEnvironment("XDG_DATA_HOME", (Folder / "data").string());
    }

    void TearDown() override {
        TDebugDevice::Close();
        TDebugDevice::SetMedia(dmNull);
        TDebugDevice::SetFileFolder("");
        TDebugDevice::SetSerialPort("");
        for (const auto& [name, value] : SavedEnvironment) {
            if (value) {
                ::setenv(name.c_str(), value->c_str(), 1);
            } else {
                ::unsetenv(name.c_str());
            }
        }
        fs::remove_all(Folder);
    }

    // Sets the variable for this test; TearDown restores it.
    void SetEnvironment(const std::string& name, const std::string& value) {
        if (SavedEnvironment.count(name) == 0) {
            const char* saved = std::getenv(name.c_str());
            SavedEnvironment[name] = saved ? std::optional<std::string>(saved) : std::nullopt;
        }
        ::setenv(name.c_str(), value.c_str(), 1);
    }

    // Makes this test's folder the temporary folder where the monitor listens.
    fs::path PrivateMonitorAddress() {
        SetEnvironment("TMPDIR", Folder.string());
        return Folder / "Pellomir.Ole";
    }

    std::string TraceFile() const { return ReadAll(Folder / "Debug.txt"); }

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
    const fs::path path = fs::read_symlink("/proc/self/exe").parent_path() / "Debug.txt";
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
    const int connection = monitor.Accept();
    ASSERT_GE(connection, 0);
    DebugWriteLn(DebugDevice, "to the window");
    TDebugDevice::WriteBool(false);
    TDebugDevice::Close();
    const std::string session =
        TTraceCapture::StartBanner + "to the window\r\nfalse " + TTraceCapture::EndBanner;
    EXPECT_EQ(ReadFrom(connection, session.size()), session);
    // Close releases the connection: the monitor sees the session end.
    pollfd wanted{connection, POLLIN, 0};
    ASSERT_EQ(::poll(&wanted, 1, 5000), 1);
    char more = 0;
    EXPECT_EQ(::read(connection, &more, 1), 0);
}

TEST_F(DebugDeviceTest, WindowMediumFailsToOpenWhenNothingListens) {
    const fs::path address = PrivateMonitorAddress();
    TDebugDevice::SetMedia(dmWindow);
    EXPECT_THROW(TDebugDevice::Open(), EDebugDeviceError);
    // A monitor that crashed leaves its socket file behind.
    TMonitorListener(address).StopListening();
    ASSERT_TRUE(fs::exists(address));
    EXPECT_THROW(TDebugDevice::Open(), EDebugDeviceError);
    TDebugDevice::Write("discarded");
    TDebugDevice::SetMedia(dmNull);
    EXPECT_EQ(TDebugDevice::Media(), dmNull);
}

TEST_F(DebugDeviceTest, MonitorGoingAwayDoesNotStopTheProgram) {
    TMonitorListener monitor(PrivateMonitorAddress());
    OpenOn(dmWindow);
    ASSERT_GE(monitor.Accept(), 0);
    monitor.StopListening();
    // The first write after the peer has gone draws a reset, the next ones
    // would raise SIGPIPE.
    for (int line = 0; line < 3; ++line) {
        DebugWriteLn(DebugDevice, "nobody reads this");
    }
    TDebugDevice::Close();
    SUCCEED();
}

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

TEST_F(DebugDeviceTest, SerialPortThatCannotBeOpenedLeavesTheDeviceClosed) {
    TDebugDevice::SetSerialPort((Folder / "ttyMissing").string());
    OpenOn(dmSerial);
    TDebugDevice::Write("discarded");
    TDebugDevice::SetMedia(dmFile);
    EXPECT_EQ(TDebugDevice::Media(), dmFile);
}

TEST_F(DebugDeviceTest, FileSwitchWithNoWritableFolderEndsOnTheSerialPort) {
    TPseudoTerminal port;
    TDebugDevice::SetSerialPort(port.SlaveName);
    TDebugDevice::SetFileFolder((Folder / "missing").string());
    // A user data folder below a plain file cannot be made, even by root.
    std::ofstream(Folder / "plain");
    SetEnvironment("XDG_DATA_HOME", (Folder / "plain" / "data").string());
    EXPECT_EQ(ConfigureDebugDevice("/DF"), std::nullopt);
    // What the data module does when it is created.
    OpenOn(dmSerial);
    EXPECT_EQ(TDebugDevice::Media(), dmSerial);
    EXPECT_EQ(port.Read(TTraceCapture::StartBanner.size()), TTraceCapture::StartBanner);
}

} // namespace
