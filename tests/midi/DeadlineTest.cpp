#include <gtest/gtest.h>

#include <thread>

#include "midi/Deadline.h"

namespace {

TEST(DeadlineTest, ExpiresOnlyAfterItsTime) {
    TDeadline deadline;
    deadline.Start(5);
    EXPECT_FALSE(deadline.Expired());
    EXPECT_FALSE(deadline.TimedOut());
    deadline.Start(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(deadline.Expired());
    EXPECT_TRUE(deadline.TimedOut());
    deadline.Start(5);
    EXPECT_FALSE(deadline.TimedOut());
}

TEST(DeadlineTest, WaitUntilStopsWhenTheConditionHoldsOrTimeIsUp) {
    int polls = 0;
    EXPECT_TRUE(TDeadline::WaitUntil(5, [&] { return ++polls == 3; }));
    EXPECT_EQ(polls, 3);
    EXPECT_FALSE(TDeadline::WaitUntil(0, [] { return false; }));
}

} // namespace
