#include "emulator/MidiStreamParser.h"

#include "platform/MidiBytes.h"

void TMidiStreamParser::Feed(std::span<const std::uint8_t> bytes, TReceiver& receiver) {
    for (const std::uint8_t byte : bytes) {
        if (IsRealTime(byte)) {
            continue;
        }
        if (InSysEx && (byte == SysExEnd || !IsStatusByte(byte))) {
            SysExByte(byte, receiver);
        } else if (IsStatusByte(byte)) {
            StatusByte(byte, receiver);
        } else {
            DataByte(byte, receiver);
        }
    }
}

void TMidiStreamParser::Reset() {
    InSysEx = false;
    SysExBytes.clear();
    RunningStatus = 0;
    ShortHave = 0;
    ShortNeed = 0;
}

void TMidiStreamParser::SysExByte(std::uint8_t byte, TReceiver& receiver) {
    if (SysExBytes.size() == MaxSysEx) {
        InSysEx = false;
        SysExBytes.clear();
        return;
    }
    SysExBytes.push_back(byte);
    if (byte == SysExEnd) {
        InSysEx = false;
        receiver.SysEx(SysExBytes);
        SysExBytes.clear();
    }
}

// A status byte inside System Exclusive ends it unfinished: it is dropped.
void TMidiStreamParser::StatusByte(std::uint8_t byte, TReceiver& receiver) {
    InSysEx = false;
    SysExBytes.clear();
    ShortHave = 0;
    if (byte == SysExStart) {
        InSysEx = true;
        RunningStatus = 0;
        SysExBytes.push_back(byte);
        return;
    }
    RunningStatus = byte < 0xF0 ? byte : 0;
    ShortNeed = ShortMessageLength(byte);
    if (ShortNeed > 0) {
        ShortBytes[ShortHave++] = byte;
    }
    if (ShortNeed == 1) {
        receiver.Short({ShortBytes, 1});
        ShortHave = 0;
    }
}

void TMidiStreamParser::DataByte(std::uint8_t byte, TReceiver& receiver) {
    if (ShortHave == 0) {
        if (RunningStatus == 0) {
            return; // a stray data byte
        }
        ShortBytes[ShortHave++] = RunningStatus;
        ShortNeed = ShortMessageLength(RunningStatus);
    }
    ShortBytes[ShortHave++] = byte;
    if (ShortHave == ShortNeed) {
        receiver.Short({ShortBytes, ShortHave});
        ShortHave = 0;
    }
}
