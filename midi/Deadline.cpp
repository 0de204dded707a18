#include "midi/Deadline.h"

#include <thread>

namespace {
constexpr auto PollInterval = std::chrono::microseconds(200);
}

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
