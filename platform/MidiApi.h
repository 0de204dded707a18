// The MIDI calls the ports and Vorrin are written against: the Windows
// multimedia MIDI API's names, constants, header record and callback
// contract, implemented by the platform library over its device providers on
// every system. On Windows the operating system's own MIDI ports are one of
// those providers, which reaches winmm.dll at run time (WinMm.h): the
// library's calls bear the same names as winmm's, so a file that includes the
// Windows headers must not include this one, and the other way round.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/MidiExport.h"

#if defined(_WINDOWS_) || defined(_INC_MMSYSTEM)
#error "MidiApi.h and <windows.h> declare the same MIDI names: include only one of them"
#endif

// The callbacks' calling convention, spelt as the Windows headers spell it.
#ifdef _WIN32
#define CALLBACK __stdcall
#else
#define CALLBACK
#endif

extern "C" {

using MMRESULT = std::uint32_t;
using UINT = std::uint32_t;
using DWORD = std::uint32_t;
using DWORD_PTR = std::uintptr_t;
using UINT_PTR = std::uintptr_t;

struct TMidiHandleRecord;
using HMIDIOUT = TMidiHandleRecord*;
using HMIDIIN = TMidiHandleRecord*;

// Results.
constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_ALLOCATED = 4;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NODRIVER = 6;
constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT MIDIERR_UNPREPARED = 64;
constexpr MMRESULT MIDIERR_STILLPLAYING = 65;
constexpr MMRESULT MIDIERR_NOTREADY = 67;

// Callback messages.
constexpr UINT MIM_OPEN = 0x3C1;
constexpr UINT MIM_CLOSE = 0x3C2;
constexpr UINT MIM_DATA = 0x3C3;
constexpr UINT MIM_LONGDATA = 0x3C4;
constexpr UINT MIM_ERROR = 0x3C5;
constexpr UINT MIM_LONGERROR = 0x3C6;
constexpr UINT MOM_OPEN = 0x3C7;
constexpr UINT MOM_CLOSE = 0x3C8;
constexpr UINT MOM_DONE = 0x3C9;

// Open flags.
constexpr DWORD CALLBACK_NULL = 0x00000;
constexpr DWORD CALLBACK_FUNCTION = 0x30000;

// Header flags.
constexpr DWORD MHDR_DONE = 0x1;
constexpr DWORD MHDR_PREPARED = 0x2;
constexpr DWORD MHDR_INQUEUE = 0x4;

constexpr std::size_t MAXPNAMELEN = 64;

struct MIDIHDR {
    char* lpData;
    DWORD dwBufferLength;
    DWORD dwBytesRecorded;
    DWORD_PTR dwUser;
    DWORD dwFlags;
    MIDIHDR* lpNext;
    DWORD_PTR reserved;
    DWORD dwOffset;
    DWORD_PTR dwReserved[8];
};
using LPMIDIHDR = MIDIHDR*;

struct MIDIOUTCAPSA {
    char szPname[MAXPNAMELEN];
};
struct MIDIINCAPSA {
    char szPname[MAXPNAMELEN];
};

// Called from the layer's own thread, never while the caller of an API
// function holds one of the layer's locks.
using MidiCallback = void(CALLBACK*)(TMidiHandleRecord* handle, UINT message, DWORD_PTR instance,
                                     DWORD_PTR param1, DWORD_PTR param2);

TAVIMOR_MIDI_API UINT midiOutGetNumDevs();
TAVIMOR_MIDI_API MMRESULT midiOutGetDevCapsA(UINT_PTR deviceId, MIDIOUTCAPSA* caps, UINT size);
TAVIMOR_MIDI_API MMRESULT midiOutOpen(HMIDIOUT* handle, UINT deviceId, DWORD_PTR callback,
                                      DWORD_PTR instance, DWORD flags);
TAVIMOR_MIDI_API MMRESULT midiOutClose(HMIDIOUT handle);
TAVIMOR_MIDI_API MMRESULT midiOutShortMsg(HMIDIOUT handle, DWORD message);
TAVIMOR_MIDI_API MMRESULT midiOutPrepareHeader(HMIDIOUT handle, LPMIDIHDR header, UINT size);
TAVIMOR_MIDI_API MMRESULT midiOutUnprepareHeader(HMIDIOUT handle, LPMIDIHDR header, UINT size);
TAVIMOR_MIDI_API MMRESULT midiOutLongMsg(HMIDIOUT handle, LPMIDIHDR header, UINT size);
TAVIMOR_MIDI_API MMRESULT midiOutReset(HMIDIOUT handle);

TAVIMOR_MIDI_API UINT midiInGetNumDevs();
TAVIMOR_MIDI_API MMRESULT midiInGetDevCapsA(UINT_PTR deviceId, MIDIINCAPSA* caps, UINT size);
TAVIMOR_MIDI_API MMRESULT midiInOpen(HMIDIIN* handle, UINT deviceId, DWORD_PTR callback,
                                     DWORD_PTR instance, DWORD flags);
TAVIMOR_MIDI_API MMRESULT midiInClose(HMIDIIN handle);
TAVIMOR_MIDI_API MMRESULT midiInPrepareHeader(HMIDIIN handle, LPMIDIHDR header, UINT size);
TAVIMOR_MIDI_API MMRESULT midiInUnprepareHeader(HMIDIIN handle, LPMIDIHDR header, UINT size);
TAVIMOR_MIDI_API MMRESULT midiInAddBuffer(HMIDIIN handle, LPMIDIHDR header, UINT size);
TAVIMOR_MIDI_API MMRESULT midiInStart(HMIDIIN handle);
TAVIMOR_MIDI_API MMRESULT midiInStop(HMIDIIN handle);
TAVIMOR_MIDI_API MMRESULT midiInReset(HMIDIIN handle);

} // extern "C"
