// The Windows multimedia MIDI functions of winmm.dll, reached through a table
// filled at run time. The platform library implements the same calls under
// the same names for the program (MidiApi.h), so linking winmm's would
// define each name twice; loading them leaves no name to clash.
//
// Only the Windows MIDI provider's files include this header, and they do not
// include MidiApi.h.
#pragma once

// Windows' min and max macros would hide the standard library's.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <mmsystem.h>

#include <string>

class TWinMm {
public:
    // Null when winmm.dll or one of its MIDI functions is missing. Loaded on
    // first use and never unloaded, since a driver may call back into the
    // process until it exits.
    static const TWinMm* Get();

    decltype(&::midiInGetNumDevs) InGetNumDevs = nullptr;
    decltype(&::midiInGetDevCapsW) InGetDevCaps = nullptr;
    decltype(&::midiInOpen) InOpen = nullptr;
    decltype(&::midiInClose) InClose = nullptr;
    decltype(&::midiInPrepareHeader) InPrepareHeader = nullptr;
    decltype(&::midiInUnprepareHeader) InUnprepareHeader = nullptr;
    decltype(&::midiInAddBuffer) InAddBuffer = nullptr;
    decltype(&::midiInStart) InStart = nullptr;
    decltype(&::midiInReset) InReset = nullptr;

    decltype(&::midiOutGetNumDevs) OutGetNumDevs = nullptr;
    decltype(&::midiOutGetDevCapsW) OutGetDevCaps = nullptr;
    decltype(&::midiOutOpen) OutOpen = nullptr;
    decltype(&::midiOutClose) OutClose = nullptr;
    decltype(&::midiOutShortMsg) OutShortMsg = nullptr;
    decltype(&::midiOutPrepareHeader) OutPrepareHeader = nullptr;
    decltype(&::midiOutUnprepareHeader) OutUnprepareHeader = nullptr;
    decltype(&::midiOutLongMsg) OutLongMsg = nullptr;
    decltype(&::midiOutReset) OutReset = nullptr;

private:
    TWinMm() = default;
    bool Load();
};

// A device name as winmm gives it, in UTF-8.
std::string Utf8DeviceName(const wchar_t* name);
