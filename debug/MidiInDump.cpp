#include "debug/MidiInDump.h"

#include <cstdint>
#include <cstdio>

#include "debug/DebugDevice.h"
#include "midi/MidiIn.h"

namespace {

constexpr int BytesPerLine = 16;

} // namespace

void DumpMidiIn(TMidiIn& midiIn) {
    DebugWriteLn(DebugDevice, "** Start of MidiIn Dump **");
    int column = 0;
    while (midiIn.InputCount() != 0) {
        std::uint8_t byte = 0;
        midiIn.ReadByte(byte);
        char text[4];
        std::snprintf(text, sizeof text, "%02x ", byte);
        TDebugDevice::Write(text);
        if (++column == BytesPerLine) {
            column = 0;
            DebugWriteLn(DebugDevice, " ");
        }
    }
    DebugWriteLn(DebugDevice, " ");
    DebugWriteLn(DebugDevice, "** End of MidiIn Dump **");
}
