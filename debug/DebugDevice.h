// The program-wide debug trace: plain text to a file beside the program (in
// the user's data folder when the program's folder cannot be written), to the
// trace monitor window or to the first serial port, chosen by medium.
#pragma once

#include "debug/DebugDeviceError.h"

#include <optional>
#include <string>
#include <string_view>

enum TDebugMedia { dmNull = 0, dmFile = 1, dmWindow = 2, dmSerial = 3 };

// The state behind the device (medium, open flag, the open file or port) is
// shared by the whole program, so every operation is static: the main window
// configures and opens the trace while it is created, before the data module
// that owns the device instance exists. Instances are only handles on that
// one state. Used from the GUI thread only.
class TDebugDevice {
public:
    static TDebugMedia Media();
    // Changes the medium only while the device is closed; ignored while open.
    static void SetMedia(TDebugMedia media);

    // Opens the medium and writes the start banner; nothing if already open.
    // A file that cannot be opened in either folder, or a serial port that
    // cannot be opened, leaves the device closed and the trace discarded. Throws EDebugDeviceError
    // when the window medium's monitor cannot be reached; the device then stays closed.
    static void Open();
    // Writes the end banner and closes the medium; nothing if not open.
    static void Close();
    // The file the trace goes into; empty unless the file medium is open.
    static std::string FilePath();
    static void Write(std::string_view text);
    static void WriteBool(bool value);

    // Tests cannot write beside a shared test executable nor own a real
    // serial port, so they redirect these two; empty restores the default
    // (the executable's folder, the first serial port). A file folder that
    // cannot be written falls back to the user's data folder all the same.
    static void SetFileFolder(std::string folder);
    static void SetSerialPort(std::string port);
    // The command-line tool writes the trace into a file the user names;
    // empty restores "Debug.txt".
    static void SetFileName(std::string name);
};

// The device of the data module; null until the data module exists.
extern TDebugDevice* DebugDevice;

// Writes the text and CR LF. The device only names where the line goes: the
// state is program-wide, so a null device (before the data module exists)
// traces all the same.
void DebugWriteLn(const TDebugDevice* device, std::string_view text);

// The medium a command-line switch selects: "/DF", "/DW" or "/DS" in any
// case; anything else selects no medium.
TDebugMedia ParseDebugSwitch(std::string_view argument);

// Start-up configuration from the first command-line argument (empty when
// there is none): close, select no medium, apply the switch, open. An
// unreachable monitor does not abandon the caller's start-up: the device is
// left closed and the reason is returned for the caller to show.
std::optional<std::string> ConfigureDebugDevice(std::string_view firstArgument);
