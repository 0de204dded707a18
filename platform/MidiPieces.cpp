#include "platform/MidiPieces.h"

#include "platform/MidiBytes.h"

void TMidiPieces::Split(const std::uint8_t* data, std::size_t count, const TPieceSink& emit) {
    // System Exclusive bytes are passed on as runs of the caller's buffer;
    // `run` is the first one not passed on yet.
    const std::uint8_t* run = data;
    auto flush = [&](const std::uint8_t* end) {
        if (OutSysEx && end > run) {
            emit({true, {run, end}});
        }
        run = end;
    };
    for (const std::uint8_t* p = data; p != data + count; ++p) {
        const std::uint8_t byte = *p;
        if (IsRealTime(byte)) {
            // Realtime bytes may come anywhere, even inside System Exclusive.
            flush(p);
            emit({false, {p, 1}});
            run = p + 1;
            continue;
        }
        if (OutSysEx) {
            if (!IsStatusByte(byte)) {
                if (static_cast<std::size_t>(p + 1 - run) == MaxFragment) {
                    flush(p + 1);
                }
                continue;
            }
            // Any other status byte ends the message, as it would on a cable;
            // an F7 is its proper last byte, anything else begins a new one.
            const bool last = byte == SysExEnd;
            flush(last ? p + 1 : p);
            OutSysEx = false;
            if (last) {
                continue;
            }
        }
        if (byte == SysExStart) {
            OutSysEx = true;
            run = p;
            RunningStatus = 0;
            ShortHave = 0;
        } else if (IsStatusByte(byte)) {
            StartShort(byte, emit);
        } else {
            AddData(byte, emit);
        }
    }
    flush(data + count);
}

void TMidiPieces::StartShort(std::uint8_t status, const TPieceSink& emit) {
    // System messages cancel running status.
    RunningStatus = status < 0xF0 ? status : 0;
    ShortNeed = ShortMessageLength(status);
    ShortHave = 0;
    if (ShortNeed > 0) {
        Add(status, emit);
    }
}

void TMidiPieces::AddData(std::uint8_t byte, const TPieceSink& emit) {
    if (ShortHave == 0) {
        if (RunningStatus == 0) {
            return;
        }
        StartShort(RunningStatus, emit);
    }
    Add(byte, emit);
}

void TMidiPieces::Add(std::uint8_t byte, const TPieceSink& emit) {
    Short[ShortHave++] = byte;
    if (ShortHave == ShortNeed) {
        emit({false, {Short, ShortHave}});
        ShortHave = 0;
    }
}

std::chrono::microseconds TMidiPieces::PaceDelay(std::size_t bytes,
                                                 std::chrono::microseconds elapsed) {
    const auto wire = ByteTime * static_cast<std::int64_t>(bytes);
    return elapsed < wire ? wire - elapsed : std::chrono::microseconds{0};
}

void TMidiPieces::Join(const std::uint8_t* data, std::size_t count, bool sysEx,
                       std::vector<std::uint8_t>& out) {
    if (!sysEx) {
        // A short message other than realtime ends any message in progress.
        if (count > 0 && !IsRealTime(data[0])) {
            InSysEx = false;
        }
        out.insert(out.end(), data, data + count);
        return;
    }
    for (const std::uint8_t* p = data; p != data + count; ++p) {
        const std::uint8_t byte = *p;
        if (byte == SysExStart) {
            InSysEx = true;
        }
        if (InSysEx || IsRealTime(byte)) {
            out.push_back(byte);
        }
        if (IsStatusByte(byte) && byte != SysExStart && !IsRealTime(byte)) {
            InSysEx = false;
        }
    }
}
