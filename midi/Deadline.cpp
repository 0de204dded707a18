#include "midi/Deadline.h"

#include <thread>

namespace {
#ifdef _WIN32
// Windows sleeps in whole milliseconds: a shorter sleep returns at once, and
// the wait would keep a core busy.
constexpr auto PollInterval = std::chrono::milliseconds(1);
#else
constexpr auto PollInterval = std::chrono::microseconds(200);
#endif
} // namespace

void TDeadline::Start(int seconds) {
    Deadline = TClock::now() + std::chrono::seconds(seconds);
    TimedOutFlag = false;
}

bool TDeadline::Expired() {
    TimedOutFlag = TClock::now() > Deadline;
    return TimedOutFlag;
}

void TDeadline::Pause() {
    std::this_thread::sleep_for(PollInterval);
}
