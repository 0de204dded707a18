// What the MIDI layer's shared library offers the programs, Vorrin and the
// tests. On Windows only what is marked leaves the DLL: MinGW's linker would
// otherwise export every symbol of its objects, the standard library's
// template code among them, which then clashes with the programs' own copies.
#pragma once

#ifdef _WIN32
#ifdef tavimor_midi_EXPORTS
#define TAVIMOR_MIDI_API __declspec(dllexport)
#else
#define TAVIMOR_MIDI_API __declspec(dllimport)
#endif
#else
#define TAVIMOR_MIDI_API
#endif
