#include "platform/MidiOutDevice.h"

#include "platform/MidiBytes.h"

TMidiOutDevice::TMidiOutDevice(std::unique_ptr<TMidiOutputEndpoint> endpoint, MidiCallback callback,
                               DWORD_PTR instance)
    : TMidiHandleRecord(callback, instance), Endpoint(std::move(endpoint)) {}

void TMidiOutDevice::Start() {
    Thread = std::thread([this] { Run(); });
}

TMidiOutDevice::~TMidiOutDevice() {
    {
        std::lock_guard lock(Mutex);
        Closing = true;
    }
    Changed.notify_all();
    if (Thread.joinable()) {
        Thread.join();
    }
}

MMRESULT TMidiOutDevice::ShortMsg(DWORD message) {
    if (ShortMessageLength(message & 0xFF) == 0) {
        return MMSYSERR_INVALPARAM;
    }
    {
        std::lock_guard lock(Mutex);
        if (Closing) {
            return MMSYSERR_INVALHANDLE;
        }
        if (Failed) {
            return MMSYSERR_ERROR;
        }
        Queue.push_back({nullptr, message, false});
    }
    Changed.notify_all();
    return MMSYSERR_NOERROR;
}

MMRESULT TMidiOutDevice::LongMsg(MIDIHDR* header) {
    if (header == nullptr || header->lpData == nullptr) {
        return MMSYSERR_INVALPARAM;
    }
    {
        std::lock_guard lock(Mutex);
        if (Closing) {
            return MMSYSERR_INVALHANDLE;
        }
        if ((header->dwFlags & MHDR_PREPARED) == 0) {
            return MIDIERR_UNPREPARED;
        }
        if ((header->dwFlags & MHDR_INQUEUE) != 0) {
            return MIDIERR_STILLPLAYING;
        }
        if (Failed) {
            return MMSYSERR_ERROR;
        }
        header->dwFlags = (header->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE;
        Queue.push_back({header, 0, false});
        ++LongMessages;
    }
    Changed.notify_all();
    return MMSYSERR_NOERROR;
}

MMRESULT TMidiOutDevice::Reset() {
    std::lock_guard lock(Mutex);
    for (TItem& item : Queue) {
        item.Skip = true;
    }
    return MMSYSERR_NOERROR;
}

// Refuses new messages first, so that none slips in behind the reset.
void TMidiOutDevice::Fail() {
    {
        std::lock_guard lock(Mutex);
        Failed = true;
    }
    Reset();
}

MMRESULT TMidiOutDevice::Close() {
    {
        std::lock_guard lock(Mutex);
        if (LongMessages > 0) {
            return MIDIERR_STILLPLAYING;
        }
        if (Thread.get_id() == std::this_thread::get_id()) {
            return MMSYSERR_ERROR; // a callback cannot wait for its own thread
        }
        Closing = true;
    }
    Changed.notify_all();
    Thread.join();
    return MMSYSERR_NOERROR;
}

void TMidiOutDevice::Run() {
    Notify(MOM_OPEN);
    std::unique_lock lock(Mutex);
    for (;;) {
        Changed.wait(lock, [this] { return Closing || !Queue.empty(); });
        if (Queue.empty()) {
            break;
        }
        // The item stays queued while it is sent, so that Close sees it.
        const TItem item = Queue.front();
        lock.unlock();
        if (!Deliver(item)) {
            Fail();
        }
        lock.lock();
        Queue.pop_front();
        if (item.Header != nullptr) {
            --LongMessages;
            item.Header->dwFlags = (item.Header->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
            lock.unlock();
            Notify(MOM_DONE, reinterpret_cast<DWORD_PTR>(item.Header));
            lock.lock();
        }
    }
    lock.unlock();
    Notify(MOM_CLOSE);
}

bool TMidiOutDevice::Deliver(const TItem& item) {
    if (item.Skip) {
        return true;
    }
    if (item.Header == nullptr) {
        std::uint8_t bytes[3];
        return Endpoint->Send(bytes, UnpackShortMessage(item.Short, bytes));
    }
    return item.Header->dwBufferLength == 0 ||
           Endpoint->Send(reinterpret_cast<const std::uint8_t*>(item.Header->lpData),
                          item.Header->dwBufferLength);
}
