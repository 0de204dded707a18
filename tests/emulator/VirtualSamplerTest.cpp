// The sampler on its worker thread: sinks, the drop fault, paced replies,
// stopping in the middle of a long edit; and the standalone's options.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "emulator/ServerOptions.h"
#include "emulator/VirtualSampler.h"
#include "tests/emulator/ProtocolFixture.h"
#include "tests/support/ByteCollector.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const TBytes Probe = {0xF0, 0x0F, 0x03, 0x00, 0x40, 0x00, 0x23, 0xF7};

class VirtualSamplerTest : public ::testing::Test {
protected:
    void Feed(const TBytes& bytes) { Sampler->Feed(bytes.data(), bytes.size()); }
    void Settle() { ASSERT_TRUE(Sampler->WaitUntilIdle()); }

    TSamplerOptions Options;
    std::unique_ptr<TVirtualSampler> Sampler = std::make_unique<TVirtualSampler>(Options);
    TByteCollector Sink;
};

TEST_F(VirtualSamplerTest, RepliesGoToTheAttachedSinksOnly) {
    Feed(Probe);
    Settle();
    Sampler->Attach(Sink);
    Feed(Probe);
    ASSERT_TRUE(Sink.WaitFor(8));
    Settle();
    EXPECT_EQ(Sink.Take(), Response(0));
    Sampler->Detach(Sink);
    Feed(Probe);
    Settle();
    EXPECT_THAT(Sink.Take(), IsEmpty());
}

TEST_F(VirtualSamplerTest, AttachingStartsANewConversation) {
    Sampler->Attach(Sink);
    Feed({0xF0, 0x0F, 0x03, 0x00, 0x40});
    Sampler->Attach(Sink);
    Feed({0x00, 0x23, 0xF7});
    Settle();
    EXPECT_THAT(Sink.Take(), IsEmpty());
    // A header accepted before is forgotten too.
    Feed(AddressRequest(5, 0, 0, 1));
    Settle();
    Sink.Take();
    Sampler->Attach(Sink);
    Feed(Ack);
    Settle();
    EXPECT_THAT(Sink.Take(), IsEmpty());
}

TEST_F(VirtualSamplerTest, TheDropFaultCutsTheLineUntilTheNextAttach) {
    int drops = 0;
    Sampler->SetDropHandler([&] { ++drops; });
    TSamplerFaults faults;
    faults.DropAfterBytes = 10;
    Sampler->SetFaults(faults);
    Sampler->Attach(Sink);
    Feed(Probe);
    Feed(Probe);
    Feed(Probe);
    Settle();
    EXPECT_EQ(Sink.Take(), (TBytes{0xF0, 0x0F, 0x03, 0x00, 0x01, 0x00, 0x00, 0xF7, 0xF0, 0x0F}));
    EXPECT_EQ(drops, 1);
    Sampler->SetFaults({});
    Sampler->Attach(Sink);
    Feed(Probe);
    Settle();
    EXPECT_EQ(Sink.Take(), Response(0));
}

TEST_F(VirtualSamplerTest, APacedLineDeliversLongRepliesInSteps) {
    Options.Timing.Baud = 31250;
    Options.Timing.TimeScale = 50;
    Sampler = std::make_unique<TVirtualSampler>(Options);
    Sampler->Attach(Sink);
    Feed(RangeRequest(6, 0, 1, 0, 512));
    Feed(Ack);
    ASSERT_TRUE(Sink.WaitFor(8 + 20 + 3 * 512 + 5));
    Settle();
    EXPECT_GE(Sink.CallCount(), (3 * 512 + 5) / 32);
    const auto messages = SplitMessages(Sink.Take());
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0], Response(0));
    EXPECT_EQ(messages[2].size(), 3u * 512 + 5);
}

TEST_F(VirtualSamplerTest, StopsInTheMiddleOfALongEdit) {
    Options.Timing.EditPerSample = std::chrono::seconds(1);
    Sampler = std::make_unique<TVirtualSampler>(Options);
    Sampler->Attach(Sink);
    Feed(RangeRequest(36, 0, 1, 0, 1000));
    ASSERT_TRUE(Sink.WaitFor(8));
    EXPECT_EQ(Sink.Take(), Response(1));
    Sampler.reset(); // would take 1000 s if the wait were not cut short
}

TEST_F(VirtualSamplerTest, InspectSeesTheMemoryAndPerformance) {
    Feed({0xC0, 0x0B, 0xC0, 0x03, 0xC0, 0x03, 0x90, 0x40, 0x79});
    Settle();
    EXPECT_EQ(Sampler->Performance().Instrument, 3);
    EXPECT_EQ(Sampler->Performance().Key, 64);
    std::size_t used = 0;
    Sampler->Inspect([&](TSamplerModel& model) { used = model.UsedWords(); });
    EXPECT_GT(used, 0u);
}

TEST(ServerOptionsTest, ReadsEveryOptionInBothSpellings) {
    TServerOptions options;
    std::string error;
    ASSERT_TRUE(
        TServerOptions::Parse({"--listen", "tcp:localhost:5000", "--model=asr", "--channel", "16",
                               "--bank=empty", "--baud", "31250", "--time-scale", "20", "--state",
                               "s.bin", "--log", "--edit-time", "0.5", "--block-time=10"},
                              options, error))
        << error;
    ASSERT_TRUE(options.Listen);
    EXPECT_EQ(options.Listen->Text(), "tcp:127.0.0.1:5000");
    EXPECT_EQ(options.Sampler.Kind, TSamplerKind::Asr);
    EXPECT_EQ(options.Sampler.Channel, 16);
    EXPECT_FALSE(options.Sampler.DemoBank);
    EXPECT_EQ(options.Sampler.Timing.Baud, 31250u);
    EXPECT_EQ(options.Sampler.Timing.TimeScale, 20);
    EXPECT_EQ(options.StatePath, "s.bin");
    EXPECT_TRUE(options.Log);
    EXPECT_EQ(options.Sampler.Timing.EditPerSample, std::chrono::nanoseconds(500));
    EXPECT_EQ(options.Sampler.Timing.BlockPerWord, std::chrono::microseconds(10));
}

TEST(ServerOptionsTest, RefusesValuesOutOfRange) {
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"--listen", "unix:/a", "--channel", "0"},
                                               {"--listen", "unix:/a", "--channel", "1.5"},
                                               {"--listen", "unix:/a", "--time-scale", "0"},
                                               {"--listen", "unix:/a", "--baud", "-1"},
                                               {"--listen", "unix:/a", "--edit-time", "x"},
                                               {"--listen", "unix:"},
                                               {"--listen", "unix:/a", "--state", ""},
                                               {"--listen", "unix:/a", "--log=yes"}}) {
        TServerOptions options;
        std::string error;
        EXPECT_FALSE(TServerOptions::Parse(arguments, options, error)) << arguments.back();
        EXPECT_FALSE(error.empty());
    }
}

} // namespace
