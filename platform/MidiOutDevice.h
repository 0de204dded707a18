// An open MIDI output device of the platform layer. Short and long messages
// are handed to the provider in the order they were given, from the device's
// own driver thread, which also reports MOM_OPEN, MOM_DONE and MOM_CLOSE.
// Once the provider fails to send, the device has failed: what is still
// queued is returned unsent, since it would reach the receiver glued onto a
// message cut short, and every later message is refused with MMSYSERR_ERROR.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/MidiHandleRecord.h"
#include "platform/MidiProvider.h"

class TMidiOutDevice : public TMidiHandleRecord {
public:
    TMidiOutDevice(std::unique_ptr<TMidiOutputEndpoint> endpoint, MidiCallback callback,
                   DWORD_PTR instance);
    ~TMidiOutDevice() override;
    // Starts the driver thread, which reports MOM_OPEN first; called once the
    // handle is known to the layer, so that the callback may use it.
    void Start();

    MMRESULT ShortMsg(DWORD message);
    MMRESULT LongMsg(MIDIHDR* header);
    MMRESULT Reset();
    // Refused with MIDIERR_STILLPLAYING while long messages are queued;
    // otherwise returns once MOM_CLOSE has been reported.
    MMRESULT Close();

private:
    struct TItem {
        MIDIHDR* Header; // null for a short message
        DWORD Short;
        bool Skip;
    };

    void Run();
    bool Deliver(const TItem& item);
    void Fail();

    std::unique_ptr<TMidiOutputEndpoint> Endpoint;
    std::mutex Mutex;
    std::condition_variable Changed;
    std::deque<TItem> Queue;
    int LongMessages = 0;
    bool Closing = false;
    bool Failed = false;
    std::thread Thread;
};
