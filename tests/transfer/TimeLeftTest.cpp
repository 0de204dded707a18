// The time left shown during a transfer: steady blocks whose estimates
// wobble around the truth give a figure that only counts down; a transfer
// that really slows down gets a figure that rises to meet it.
#include <gtest/gtest.h>

#include "transfer/TimeLeft.h"

namespace {

// A block every half second of a 60 s transfer; the fresh estimates are the
// truth plus a wobble of up to 1.5 s either way.
TEST(TimeLeftTest, SteadyBlocksCountDownAndASlowdownIsFollowed) {
    const float wobble[] = {1.5f, -1.5f, 0.8f, 1.4f, -0.3f, 1.5f, -1.2f, 0.0f};
    TTimeLeft timeLeft;
    float shown = timeLeft.Next(60, 0);
    for (int block = 1; block < 100; ++block) {
        const float truth = 60 - 0.5f * static_cast<float>(block);
        const float next = timeLeft.Next(truth + wobble[block % 8], 0.5f);
        ASSERT_LE(next, shown) << "block " << block;
        EXPECT_NEAR(next, truth, 1.5f);
        shown = next;
    }
    // From here on each block takes four times as long: 10 s left become
    // 40 s, and the figure rises to meet them within a few blocks.
    for (int block = 1; block <= 10; ++block) {
        shown = timeLeft.Next(40 - 2.0f * static_cast<float>(block), 2);
    }
    EXPECT_NEAR(shown, 20, 2.0f);
}

} // namespace
