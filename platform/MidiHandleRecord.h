// What a MIDI handle of the platform layer points to: one open device with
// the callback it reports to.
#pragma once

#include "platform/MidiApi.h"

struct TMidiHandleRecord {
    TMidiHandleRecord(MidiCallback callback, DWORD_PTR instance)
        : Callback(callback), Instance(instance) {}
    virtual ~TMidiHandleRecord() = default;
    TMidiHandleRecord(const TMidiHandleRecord&) = delete;
    TMidiHandleRecord& operator=(const TMidiHandleRecord&) = delete;

protected:
    // Only ever called from the device's driver thread, with no lock held, so
    // that the callback may call back into the layer (midiInAddBuffer).
    void Notify(UINT message, DWORD_PTR param1 = 0, DWORD_PTR param2 = 0) {
        if (Callback != nullptr) {
            Callback(this, message, Instance, param1, param2);
        }
    }

private:
    MidiCallback Callback;
    DWORD_PTR Instance;
};
