#include "tests/support/RestoredInstrument.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "eps/ParameterBlocks.h"

void ExpectRestored(const TInstrument& restored, const TInstrument& original, int instrument) {
    SCOPED_TRACE("instrument " + std::to_string(instrument + 1));
    for (std::size_t word = 0; word < TInstrument::ParameterCount; ++word) {
        const bool slot =
            word >= InstrumentSlotWord && word < InstrumentSlotWord + 2 * InstrumentSlots;
        if (!slot) {
            EXPECT_EQ(restored.Parameters()[word], original.Parameters()[word]) << word;
        }
    }
    for (int n = 1; n <= TInstrument::SlotCount; ++n) {
        const TWaveSample* before = original.WaveSample(n);
        const TWaveSample* after = restored.WaveSample(n);
        if (before == nullptr) {
            continue;
        }
        ASSERT_NE(after, nullptr) << "wavesample " << n;
        EXPECT_EQ(after->Parameters, before->Parameters) << "wavesample " << n;
        const std::size_t kept = before->IsCopy()
                                     ? 0
                                     : std::max(before->Address(TWaveSample::EndWord),
                                                before->Address(TWaveSample::LoopEndWord)) +
                                           std::size_t{1};
        std::vector<std::int16_t> expected = before->Data;
        std::vector<std::int16_t> got = after->Data;
        expected.resize(kept);
        got.resize(kept);
        EXPECT_EQ(got, expected) << "wavesample " << n;
    }
}
