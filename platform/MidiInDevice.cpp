#include "platform/MidiInDevice.h"

#include "platform/MidiBytes.h"

TMidiInDevice::TMidiInDevice(MidiCallback callback, DWORD_PTR instance)
    : TMidiHandleRecord(callback, instance) {}

TMidiInDevice::~TMidiInDevice() {
    Endpoint.reset();
    if (Thread.joinable()) {
        Command(TCommand::Close);
        Thread.join();
    }
}

void TMidiInDevice::Attach(std::unique_ptr<TMidiInputEndpoint> endpoint) {
    Endpoint = std::move(endpoint);
    Thread = std::thread([this] { Run(); });
}

void TMidiInDevice::Received(const std::uint8_t* data, std::size_t count) {
    {
        std::lock_guard lock(Mutex);
        if (!Started) {
            return;
        }
        Pending.insert(Pending.end(), data, data + count);
    }
    Changed.notify_all();
}

MMRESULT TMidiInDevice::AddBuffer(MIDIHDR* header) {
    if (header == nullptr || header->lpData == nullptr || header->dwBufferLength == 0) {
        return MMSYSERR_INVALPARAM;
    }
    {
        std::lock_guard lock(Mutex);
        if ((header->dwFlags & MHDR_PREPARED) == 0) {
            return MIDIERR_UNPREPARED;
        }
        if ((header->dwFlags & MHDR_INQUEUE) != 0) {
            return MIDIERR_STILLPLAYING;
        }
        header->dwFlags = (header->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE;
        header->dwBytesRecorded = 0;
        Buffers.push_back(header);
    }
    Changed.notify_all();
    return MMSYSERR_NOERROR;
}

MMRESULT TMidiInDevice::Start() {
    {
        std::lock_guard lock(Mutex);
        if (!Started) {
            Started = true;
            StartTime = std::chrono::steady_clock::now();
        }
    }
    Changed.notify_all();
    return MMSYSERR_NOERROR;
}

MMRESULT TMidiInDevice::Stop() {
    return Command(TCommand::Stop);
}

MMRESULT TMidiInDevice::Reset() {
    return Command(TCommand::Reset);
}

MMRESULT TMidiInDevice::Close() {
    {
        std::lock_guard lock(Mutex);
        if (!Buffers.empty()) {
            return MIDIERR_STILLPLAYING;
        }
    }
    Endpoint.reset();
    const MMRESULT result = Command(TCommand::Close);
    if (result == MMSYSERR_NOERROR) {
        Thread.join();
    }
    return result;
}

// Commands are carried out by the driver thread, so that the buffers they
// return are reported from there; the caller waits until that is done.
MMRESULT TMidiInDevice::Command(TCommand command) {
    if (Thread.get_id() == std::this_thread::get_id()) {
        return MMSYSERR_ERROR; // a callback cannot wait for its own thread
    }
    TLock lock(Mutex);
    CommandDone.wait(lock, [this] { return PendingCommand == TCommand::None; });
    PendingCommand = command;
    Changed.notify_all();
    CommandDone.wait(lock, [this] { return PendingCommand == TCommand::None; });
    return MMSYSERR_NOERROR;
}

void TMidiInDevice::Run() {
    Notify(MIM_OPEN);
    TLock lock(Mutex);
    for (;;) {
        Changed.wait(lock, [this] { return PendingCommand != TCommand::None || CanProceed(); });
        if (PendingCommand != TCommand::None) {
            const TCommand command = PendingCommand;
            Execute(command, lock);
            PendingCommand = TCommand::None;
            CommandDone.notify_all();
            if (command == TCommand::Close) {
                break;
            }
            continue;
        }
        ProcessByte(lock);
    }
    lock.unlock();
    Notify(MIM_CLOSE);
}

// System Exclusive bytes wait for a buffer; everything else goes at once.
bool TMidiInDevice::CanProceed() const {
    if (Pending.empty()) {
        return false;
    }
    const std::uint8_t b = Pending.front();
    const bool needsBuffer = b == SysExStart || (InSysEx && !IsRealTime(b));
    return !needsBuffer || !Buffers.empty();
}

void TMidiInDevice::Execute(TCommand command, TLock& lock) {
    // What arrived before the command is recorded, as far as buffers allow.
    while (CanProceed()) {
        ProcessByte(lock);
    }
    Started = false;
    Pending.clear();
    InSysEx = false;
    ShortLength = 0;
    // Stopping returns the buffer being filled; resetting and closing return
    // every queued buffer, empty ones too.
    if (command == TCommand::Stop) {
        if (!Buffers.empty() && Buffers.front()->dwBytesRecorded > 0) {
            ReturnBuffer(lock);
        }
        return;
    }
    // Only the buffers queued now: a callback that queues them again while
    // they are returned must not keep this going for ever.
    for (std::size_t queued = Buffers.size(); queued > 0 && !Buffers.empty(); --queued) {
        ReturnBuffer(lock);
    }
}

void TMidiInDevice::ProcessByte(TLock& lock) {
    const std::uint8_t b = Pending.front();
    Pending.pop_front();
    if (IsRealTime(b)) {
        Report(MIM_DATA, b, lock);
    } else if (b == SysExStart) {
        if (InSysEx) {
            InSysEx = false;
            ReturnBuffer(lock); // an unterminated message never shares a buffer
        }
        if (Buffers.empty()) {
            // That was the last buffer: the new message waits for the next.
            Pending.push_front(b);
            return;
        }
        InSysEx = true;
        ShortLength = 0;
        StoreSysExByte(b, lock);
    } else if (InSysEx && (b == SysExEnd || !IsStatusByte(b))) {
        StoreSysExByte(b, lock);
    } else {
        if (InSysEx) {
            InSysEx = false; // a status byte ends the message without its F7
            ReturnBuffer(lock);
        }
        ShortByte(b, lock);
    }
}

void TMidiInDevice::StoreSysExByte(std::uint8_t b, TLock& lock) {
    MIDIHDR* header = Buffers.front();
    header->lpData[header->dwBytesRecorded++] = static_cast<char>(b);
    if (b == SysExEnd) {
        InSysEx = false;
    }
    if (b == SysExEnd || header->dwBytesRecorded == header->dwBufferLength) {
        ReturnBuffer(lock);
    }
}

void TMidiInDevice::ReturnBuffer(TLock& lock) {
    if (Buffers.empty()) {
        return;
    }
    MIDIHDR* header = Buffers.front();
    Buffers.pop_front();
    header->dwFlags = (header->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
    Report(MIM_LONGDATA, reinterpret_cast<DWORD_PTR>(header), lock);
}

// Assembles channel and system common messages, with running status.
void TMidiInDevice::ShortByte(std::uint8_t b, TLock& lock) {
    if (IsStatusByte(b)) {
        ShortMessage.assign(1, b);
        ShortLength = ShortMessageLength(b);
    } else if (ShortLength == 0) {
        return; // a data byte without a status to belong to
    } else if (ShortMessage.size() == ShortLength) {
        ShortMessage.resize(1); // running status: a new message, same status
        ShortMessage.push_back(b);
    } else {
        ShortMessage.push_back(b);
    }
    if (ShortLength == 0 || ShortMessage.size() < ShortLength) {
        return;
    }
    const DWORD packed = PackShortMessage(ShortMessage.data(), ShortMessage.size());
    if (ShortMessage[0] >= 0xF0) {
        ShortLength = 0; // system common messages cancel running status
    }
    Report(MIM_DATA, packed, lock);
}

void TMidiInDevice::Report(UINT message, DWORD_PTR param, TLock& lock) {
    const DWORD time = Timestamp();
    lock.unlock();
    Notify(message, param, time);
    lock.lock();
}

DWORD TMidiInDevice::Timestamp() const {
    const auto elapsed = std::chrono::steady_clock::now() - StartTime;
    return static_cast<DWORD>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}
