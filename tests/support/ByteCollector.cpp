#include "tests/support/ByteCollector.h"

#include <utility>

void TByteCollector::Received(const std::uint8_t* data, std::size_t count) {
    std::unique_lock lock(Mutex);
    Bytes.insert(Bytes.end(), data, data + count);
    ++Calls;
    Changed.notify_all();
    Changed.wait(lock, [this] { return !Held; });
}

bool TByteCollector::WaitFor(std::size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock lock(Mutex);
    return Changed.wait_for(lock, timeout, [&] { return Bytes.size() >= count; });
}

std::vector<std::uint8_t> TByteCollector::Take() {
    std::lock_guard lock(Mutex);
    return std::exchange(Bytes, {});
}

int TByteCollector::CallCount() {
    std::lock_guard lock(Mutex);
    return Calls;
}

void TByteCollector::Hold(bool held) {
    std::lock_guard lock(Mutex);
    Held = held;
    Changed.notify_all();
}
