#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "midi/MidiError.h"
#include "midi/MidiIn.h"
#include "midi/MidiOut.h"

namespace {

using ::testing::StrEq;
using ::testing::ThrowsMessage;

template <typename TPort> const char* PoolFullMessage();
template <> const char* PoolFullMessage<TMidiOut>() {
    return "error: Midiout pool full";
}
template <> const char* PoolFullMessage<TMidiIn>() {
    return "error: Midiin pool full";
}

template <typename TPort> class SlotPoolTest : public ::testing::Test {};
using TPorts = ::testing::Types<TMidiOut, TMidiIn>;
TYPED_TEST_SUITE(SlotPoolTest, TPorts);

TYPED_TEST(SlotPoolTest, SixteenPortsAtMostAndAFreedSlotIsReused) {
    std::vector<std::unique_ptr<TypeParam>> ports;
    for (int i = 0; i < 16; ++i) {
        ports.push_back(std::make_unique<TypeParam>());
        EXPECT_EQ(ports.back()->Slot(), i);
    }
    EXPECT_THAT([] { TypeParam extra; },
                ThrowsMessage<EMidiError>(StrEq(PoolFullMessage<TypeParam>())));
    ports[5].reset();
    TypeParam next;
    EXPECT_EQ(next.Slot(), 5);
}

// Input and output ports are counted apart.
TEST(SlotPoolTest, InputAndOutputSlotsAreSeparate) {
    TMidiOut out;
    TMidiIn in;
    EXPECT_EQ(out.Slot(), 0);
    EXPECT_EQ(in.Slot(), 0);
}

} // namespace
