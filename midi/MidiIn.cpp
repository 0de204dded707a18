#include "midi/MidiIn.h"

#include <algorithm>

#include "midi/Deadline.h"
#include "midi/MidiError.h"
#include "midi/SlotPool.h"
#include "platform/AddressWait.h"

namespace {

constexpr int OpenCloseSeconds = 5;

TSlotPool Pool;

} // namespace

TMidiIn::TMidiIn()
    : SlotNumber(Pool.Take("error: Midiin pool full")), Header1(std::make_unique<MIDIHDR>()),
      Header2(std::make_unique<MIDIHDR>()), Ring(std::make_unique<MidiInRing>()),
      Buffer1(std::make_unique<char[]>(BufferSize)), Buffer2(std::make_unique<char[]>(BufferSize)) {
    MIDIINSETBUFFER(Ring.get(), SlotNumber);
}

TMidiIn::~TMidiIn() {
    try {
        Close();
    } catch (const EMidiError&) {
        // The device never reported closed: the driver may still return the
        // buffers and call back for this slot. Leave the ring registered and
        // leak it, the buffers and the slot rather than have them written
        // after they are freed.
        (void)Header1.release();
        (void)Header2.release();
        (void)Ring.release();
        (void)Buffer1.release();
        (void)Buffer2.release();
        return;
    }
    MIDIINSETBUFFER(nullptr, SlotNumber);
    Pool.Give(SlotNumber);
}

bool TMidiIn::Open() {
    if (IsOpen()) {
        return true;
    }
    if (DeviceID == -1) {
        return false;
    }
    // Whether the device opened is told by its open notification alone.
    midiInOpen(&Handle, static_cast<UINT>(DeviceID), reinterpret_cast<DWORD_PTR>(&MidiInHandler),
               static_cast<DWORD_PTR>(SlotNumber), CALLBACK_FUNCTION);
    if (!TDeadline::WaitUntil(OpenCloseSeconds, [this] { return IsOpen(); })) {
        return false;
    }
    QueueBuffer(*Header1, Buffer1.get());
    QueueBuffer(*Header2, Buffer2.get());
    midiInStart(Handle);
    return true;
}

void TMidiIn::Close() {
    if (!IsOpen()) {
        return;
    }
    // Keeps Vorrin from handing the buffers back while the driver returns them.
    MIDIINREQUESTCLOSE(SlotNumber);
    midiInStop(Handle);
    midiInReset(Handle);
    midiInUnprepareHeader(Handle, Header1.get(), sizeof(MIDIHDR));
    midiInUnprepareHeader(Handle, Header2.get(), sizeof(MIDIHDR));
    midiInClose(Handle);
    Handle = nullptr;
    if (!TDeadline::WaitUntil(OpenCloseSeconds, [this] { return !IsOpen(); })) {
        throw EMidiError("error: Unable to close Midiin");
    }
}

bool TMidiIn::IsOpen() const {
    return MIDIINISOPEN(SlotNumber) != 0;
}

void TMidiIn::ClearInput() {
    Ring->Discard();
}

std::uint32_t TMidiIn::InputCount() const {
    return Ring->Count.load(std::memory_order_acquire);
}

bool TMidiIn::WaitForInput(std::uint32_t count, std::chrono::milliseconds limit) {
    const auto deadline = TDeadline::TClock::now() + limit;
    for (;;) {
        if (InterruptedFlag) {
            return false;
        }
        const std::uint32_t present = InputCount();
        if (present >= count) {
            return true;
        }
        const auto now = TDeadline::TClock::now();
        if (now >= deadline) {
            return false;
        }
        auto wake = deadline;
        if (WhileWaiting) {
            if (!StillWaiting()) {
                return false;
            }
            wake = std::min(wake, LastWaiterCall + WaiterInterval);
        }
        // Vorrin wakes the sleeper whenever it has stored bytes.
        WaitWhileEqual(Ring->Count, present, wake - now);
    }
}

bool TMidiIn::StillWaiting() {
    const auto now = TDeadline::TClock::now();
    if (!InterruptedFlag && WhileWaiting && now - LastWaiterCall >= WaiterInterval) {
        LastWaiterCall = now;
        InterruptedFlag = !WhileWaiting();
    }
    return !InterruptedFlag;
}

bool TMidiIn::ReadByte(std::uint8_t& byte) {
    TimedOutFlag = InterruptedFlag ||
                   (InputCount() == 0 && !WaitForInput(1, std::chrono::seconds(ByteTimeout)));
    if (TimedOutFlag) {
        return false;
    }
    std::uint32_t read = Ring->ReadIndex.load(std::memory_order_relaxed);
    byte = Ring->Data[read];
    Ring->ReadIndex.store((read + 1) % MidiInRingSize, std::memory_order_relaxed);
    // Only now may the callback store over the byte just taken.
    Ring->Count.fetch_sub(1, std::memory_order_release);
    return true;
}

bool TMidiIn::ExpectByte(std::uint8_t value) {
    std::uint8_t byte = 0;
    return ReadByte(byte) && byte == value;
}

void TMidiIn::QueueBuffer(MIDIHDR& header, char* buffer) {
    header = MIDIHDR{};
    header.lpData = buffer;
    header.dwBufferLength = static_cast<DWORD>(BufferSize);
    midiInPrepareHeader(Handle, &header, sizeof(MIDIHDR));
    midiInAddBuffer(Handle, &header, sizeof(MIDIHDR));
}
