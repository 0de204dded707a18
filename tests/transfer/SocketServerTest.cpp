// The workflows over each kind of byte-stream device (unix:, tcp:) against
// the standalone virtual sampler, a program of its own: what goes up comes
// back down.
#include "tests/transfer/TransferFixture.h"

#include "platform/MidiDevices.h"
#include "tests/support/DeviceNumbers.h"
#include "tests/transfer/VirtualEpsServer.h"

namespace {

class SocketServerTest : public TransferTest, public ::testing::WithParamInterface<TServerSocket> {
protected:
    void SetUp() override {
        TransferTest::SetUp();
        ASSERT_TRUE(Server.Listening());
        MidiAddDevice(Server.DeviceName());
        Eps->MidiIn->DeviceID = MidiInputNumber(Server.DeviceName());
        Eps->MidiOut->DeviceID = MidiOutputNumber(Server.DeviceName());
        ASSERT_GE(Eps->MidiIn->DeviceID, 0);
    }

    TVirtualEpsServer Server{{}, GetParam()};
};

INSTANTIATE_TEST_SUITE_P(Sockets, SocketServerTest, ::testing::ValuesIn(ServerSockets()),
                         [](const auto& info) { return SocketName(info.param); });

TEST_P(SocketServerTest, AnUploadComesBackByDownload) {
    TSamples samples(5000);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::int16_t>(i * 13 % 65536);
    }
    std::vector<std::uint8_t> bytes;
    for (std::int16_t sample : samples) {
        bytes.push_back(static_cast<std::uint8_t>(sample & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((sample >> 8) & 0xFF));
    }
    const std::string up = Path("up.wav");
    WriteWaveFile(up, 1, 16, 31250, bytes);
    Eps->SetBlockSize(1000);

    const TTransferReport sent = Upload(up, 4, 1);
    ASSERT_EQ(sent.Outcome, toCompleted) << sent.Message;
    const std::string down = Path("down.wav");
    const TTransferReport received = Download(4, 1, down);
    ASSERT_EQ(received.Outcome, toCompleted) << received.Message;

    EXPECT_EQ(SamplesOfWaveFile(down), samples);
    EXPECT_EQ(RateOfWaveFile(down), 31250u);
}

} // namespace
