#include "tests/support/RequeueingReceiver.h"

#include <chrono>
#include <thread>

void TRequeueingReceiver::Callback(TMidiHandleRecord* handle, UINT message, DWORD_PTR instance,
                                   DWORD_PTR param1, DWORD_PTR) {
    auto* self = reinterpret_cast<TRequeueingReceiver*>(instance);
    if (message != MIM_LONGDATA) {
        return;
    }
    auto* header = reinterpret_cast<MIDIHDR*>(param1);
    {
        std::lock_guard lock(self->Mutex);
        self->Bytes.insert(self->Bytes.end(), header->lpData,
                           header->lpData + header->dwBytesRecorded);
    }
    if (!self->Closing) {
        midiInAddBuffer(handle, header, sizeof(MIDIHDR));
    }
}

std::vector<std::uint8_t> TRequeueingReceiver::Received() {
    std::lock_guard lock(Mutex);
    return Bytes;
}

std::vector<std::uint8_t> TRequeueingReceiver::WaitFor(std::size_t count) {
    for (int i = 0; i < 500 && Received().size() < count; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return Received();
}
