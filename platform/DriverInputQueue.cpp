#include "platform/DriverInputQueue.h"

#include "platform/MidiBytes.h"

TDriverInputQueue::TDriverInputQueue(std::size_t capacity, std::size_t buffers)
    : Ring(capacity), ShortRoom(capacity - buffers) {}

void TDriverInputQueue::ShortMessage(std::uint32_t packed) {
    std::lock_guard lock(Mutex);
    if (Size >= ShortRoom) {
        LossPending = true;
        return;
    }
    Add({false, nullptr, packed, nullptr, 0});
}

void TDriverInputQueue::BufferDone(void* buffer, const std::uint8_t* data, std::size_t count,
                                   bool damaged) {
    std::lock_guard lock(Mutex);
    LossPending = LossPending || damaged;
    Add({false, buffer, 0, damaged ? nullptr : data, damaged ? 0 : count});
    --WithDriver;
    // Until the thread gives a buffer back, whatever arrives has nowhere to go.
    if (WithDriver == 0) {
        LossPending = true;
    }
}

void TDriverInputQueue::Lost() {
    std::lock_guard lock(Mutex);
    LossPending = true;
}

void TDriverInputQueue::Add(TReport report) {
    report.LossBefore = LossPending;
    LossPending = false;
    Ring[(First + Size) % Ring.size()] = report;
    ++Size;
}

void TDriverInputQueue::BufferQueued() {
    std::lock_guard lock(Mutex);
    ++WithDriver;
}

void TDriverInputQueue::BufferRefused() {
    std::lock_guard lock(Mutex);
    --WithDriver;
}

std::size_t TDriverInputQueue::BuffersWithDriver() const {
    std::lock_guard lock(Mutex);
    return WithDriver;
}

// The buffers' bytes are copied out under the lock: the driver gets a buffer
// back only after Take has returned it.
void TDriverInputQueue::Take(TBatch& batch) {
    batch.Buffers.clear();
    batch.Lost = false;
    batch.Bytes.clear();
    std::lock_guard lock(Mutex);
    for (; Size > 0; --Size, First = (First + 1) % Ring.size()) {
        Read(Ring[First], batch);
    }
    // A loss that nothing has followed yet is told now, while it is news.
    if (LossPending) {
        LossPending = false;
        Joiner.DropMessage();
        batch.Lost = true;
    }
}

void TDriverInputQueue::Read(const TReport& report, TBatch& batch) {
    if (report.LossBefore) {
        Joiner.DropMessage();
        batch.Lost = true;
    }
    if (report.Buffer != nullptr) {
        Joiner.Join(report.Data, report.Count, true, batch.Bytes);
        batch.Buffers.push_back(report.Buffer);
        return;
    }
    std::uint8_t bytes[3];
    Joiner.Join(bytes, UnpackShortMessage(report.Message, bytes), false, batch.Bytes);
}
