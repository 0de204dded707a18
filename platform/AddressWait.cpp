#include "platform/AddressWait.h"

#ifdef __linux__
#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <climits>
#include <ctime>
#elif defined(_WIN32)
#include <windows.h>

#include <algorithm>
#else
#include <algorithm>
#include <thread>
#endif

static_assert(sizeof(std::atomic<std::uint32_t>) == sizeof(std::uint32_t));

#ifdef __linux__

namespace {

// The word's own address is the futex: the kernel compares it with value
// before sleeping, so a change made just before the wait is never missed.
long Futex(const std::atomic<std::uint32_t>& word, int operation, std::uint32_t value,
           const timespec* limit) {
    return syscall(SYS_futex, reinterpret_cast<const std::uint32_t*>(&word), operation, value,
                   limit, nullptr, 0);
}

} // namespace

void WaitWhileEqual(const std::atomic<std::uint32_t>& word, std::uint32_t value,
                    std::chrono::nanoseconds limit) {
    if (limit <= std::chrono::nanoseconds::zero()) {
        return;
    }
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(limit);
    const timespec relative{static_cast<time_t>(seconds.count()),
                            static_cast<long>((limit - seconds).count())};
    Futex(word, FUTEX_WAIT_PRIVATE, value, &relative);
}

void WakeAddressWaiters(const std::atomic<std::uint32_t>& word) {
    Futex(word, FUTEX_WAKE_PRIVATE, INT_MAX, nullptr);
}

#elif defined(_WIN32)

// Like a futex, WaitOnAddress compares the word with value before it sleeps.
// Its limit is in whole milliseconds, rounded up so that a short limit still
// sleeps instead of returning at once into a spinning caller.
void WaitWhileEqual(const std::atomic<std::uint32_t>& word, std::uint32_t value,
                    std::chrono::nanoseconds limit) {
    if (limit <= std::chrono::nanoseconds::zero()) {
        return;
    }
    const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(limit).count();
    const DWORD timeout = static_cast<DWORD>(std::min<long long>(milliseconds, INFINITE - 1));
    auto* address = const_cast<std::atomic<std::uint32_t>*>(&word);
    WaitOnAddress(address, &value, sizeof value, timeout);
}

void WakeAddressWaiters(const std::atomic<std::uint32_t>& word) {
    WakeByAddressAll(const_cast<std::atomic<std::uint32_t>*>(&word));
}

#else

// Without a way to sleep on an address: short sleeps, each a fraction of a
// millisecond, so that a MIDI byte stream is still followed closely.
void WaitWhileEqual(const std::atomic<std::uint32_t>& word, std::uint32_t value,
                    std::chrono::nanoseconds limit) {
    if (word.load(std::memory_order_acquire) == value) {
        std::this_thread::sleep_for(
            std::min<std::chrono::nanoseconds>(limit, std::chrono::microseconds(200)));
    }
}

void WakeAddressWaiters(const std::atomic<std::uint32_t>&) {}

#endif
