#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/DriverInputQueue.h"

namespace {

using TBytes = std::vector<std::uint8_t>;

// One thing that happens to the queue: a driver report, or the thread taking
// what is there and giving the buffers back.
struct TStep {
    enum TKind { Short, Buffer, Damaged, Error, Take } Kind;
    std::uint32_t Message = 0;
    TBytes Bytes = {};
};

TStep ShortMessage(std::uint32_t packed) {
    return {TStep::Short, packed};
}
TStep Filled(TBytes bytes) {
    return {TStep::Buffer, 0, std::move(bytes)};
}
TStep Broken(TBytes bytes) {
    return {TStep::Damaged, 0, std::move(bytes)};
}
const TStep DriverError{TStep::Error};
const TStep TakeAndRequeue{TStep::Take};

struct TCase {
    std::string Name;
    std::size_t Capacity;
    std::size_t Buffers;
    std::vector<TStep> Steps;
    TBytes Received;
    int Losses;
};

void PrintTo(const TCase& c, std::ostream* stream) {
    *stream << c.Name;
}

class DriverInputQueueTest : public ::testing::TestWithParam<TCase> {};

// The driver takes the buffers in the order they are queued, and every
// buffer that comes back must be given back once.
TEST_P(DriverInputQueueTest, DeliversInOrderAndGivesEveryBufferBack) {
    const TCase& c = GetParam();
    TDriverInputQueue queue(c.Capacity, c.Buffers);
    std::vector<TBytes> buffers(c.Buffers);
    std::vector<std::size_t> withDriver;
    for (std::size_t i = 0; i < c.Buffers; ++i) {
        queue.BufferQueued();
        withDriver.push_back(i);
    }
    TBytes received;
    int losses = 0;
    TDriverInputQueue::TBatch batch;
    for (const TStep& step : c.Steps) {
        switch (step.Kind) {
        case TStep::Short:
            queue.ShortMessage(step.Message);
            break;
        case TStep::Buffer:
        case TStep::Damaged: {
            ASSERT_FALSE(withDriver.empty()) << "the driver has no buffer to fill";
            const std::size_t index = withDriver.front();
            withDriver.erase(withDriver.begin());
            buffers[index] = step.Bytes;
            queue.BufferDone(&buffers[index], buffers[index].data(), buffers[index].size(),
                             step.Kind == TStep::Damaged);
            break;
        }
        case TStep::Error:
            queue.Lost();
            break;
        case TStep::Take:
            queue.Take(batch);
            for (void* buffer : batch.Buffers) {
                queue.BufferQueued();
                withDriver.push_back(static_cast<TBytes*>(buffer) - buffers.data());
            }
            losses += batch.Lost ? 1 : 0;
            received.insert(received.end(), batch.Bytes.begin(), batch.Bytes.end());
            break;
        }
    }
    EXPECT_EQ(received, c.Received);
    EXPECT_EQ(losses, c.Losses);
    EXPECT_EQ(queue.BuffersWithDriver(), withDriver.size());
    EXPECT_EQ(withDriver.size(), c.Buffers) << "a buffer was not given back";
}

INSTANTIATE_TEST_SUITE_P(
    Reports, DriverInputQueueTest,
    ::testing::Values(TCase{"ShortMessagesUnpackedByStatus",
                            16,
                            4,
                            {ShortMessage(0x00403C90), ShortMessage(0x00000FC0),
                             ShortMessage(0x7F7FF8), ShortMessage(0x000000F4),
                             ShortMessage(0x00012345), ShortMessage(0x00127FE0), TakeAndRequeue},
                            {0x90, 0x3C, 0x40, 0xC0, 0x0F, 0xF8, 0xE0, 0x7F, 0x12},
                            0},
                      TCase{"SysExOverSeveralBuffersJoined",
                            16,
                            4,
                            {Filled({0xF0, 0x0F, 0x03}), Filled({0x01, 0x02}), TakeAndRequeue,
                             ShortMessage(0xFE), Filled({0x03, 0xF7}), Filled({0xF0, 0x04, 0xF7}),
                             TakeAndRequeue},
                            {0xF0, 0x0F, 0x03, 0x01, 0x02, 0xFE, 0x03, 0xF7, 0xF0, 0x04, 0xF7},
                            0},
                      TCase{"ADamagedBufferDropsTheMessageInProgress",
                            16,
                            8,
                            {Filled({0xF0, 0x01, 0x02}), Broken({0x03, 0x04}), Filled({0x05, 0xF7}),
                             Filled({0xF0, 0x06, 0xF7}), TakeAndRequeue},
                            {0xF0, 0x01, 0x02, 0xF0, 0x06, 0xF7},
                            1},
                      TCase{"ADriverErrorDropsTheMessageInProgress",
                            16,
                            4,
                            {Filled({0xF0, 0x01}), TakeAndRequeue, DriverError, TakeAndRequeue,
                             Filled({0x02, 0xF7}), ShortMessage(0x0005C0), TakeAndRequeue},
                            {0xF0, 0x01, 0xC0, 0x05},
                            1},
                      TCase{"TheDriverLeftWithoutABufferLosesTheRest",
                            16,
                            2,
                            {Filled({0xF0, 0x01}), Filled({0x02, 0x03}), TakeAndRequeue,
                             Filled({0x04, 0xF7}), Filled({0xF0, 0x07, 0xF7}), TakeAndRequeue},
                            {0xF0, 0x01, 0x02, 0x03, 0xF0, 0x07, 0xF7},
                            2},
                      TCase{"ShortMessagesBeyondTheirRoomAreLostButBuffersNot",
                            7,
                            4,
                            {Filled({0xF0, 0x01}), ShortMessage(0xF8), ShortMessage(0xFA),
                             ShortMessage(0xFC), ShortMessage(0xFE), Filled({0x02, 0xF7}),
                             Filled({0xF0, 0x03, 0xF7}), TakeAndRequeue},
                            {0xF0, 0x01, 0xF8, 0xFA, 0xF0, 0x03, 0xF7},
                            1}),
    [](const auto& info) { return info.param.Name; });

} // namespace
