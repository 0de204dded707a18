#include "tests/faults/SocketSampler.h"

#include <unistd.h>

#include "platform/MidiDevices.h"
#include "tests/support/DeviceNumbers.h"
#include "tests/transfer/ChildProcess.h"

TSocketSampler::TSocketSampler(const std::string& path) : Server(Sampler) {
    std::string error;
    Listening = Server.Listen(path, error) && pipe(Stop) == 0;
    if (Listening) {
        Serving = std::thread([this] { Server.Serve(Stop[0]); });
    }
}

TSocketSampler::~TSocketSampler() {
    if (Listening) {
        const char stop = 0;
        [[maybe_unused]] const auto written = write(Stop[1], &stop, 1);
        Serving.join();
        close(Stop[0]);
        close(Stop[1]);
    }
}

void SocketSamplerTest::SetUp() {
    FaultTest::SetUp();
    // The socket lies in the test's own folder, which exists from here on.
    Device = "unix:" + Path("eps.sock");
    RemoteSampler = std::make_unique<TSocketSampler>(Path("eps.sock"));
    ASSERT_TRUE(Remote().Listening);
    MidiAddDevice(Device);
    Eps->MidiIn->DeviceID = MidiInputNumber(Device);
    Eps->MidiOut->DeviceID = MidiOutputNumber(Device);
    ASSERT_GE(Eps->MidiIn->DeviceID, 0);
}

void SocketSamplerTest::Mend() {
    ASSERT_TRUE(Remote().Sampler.WaitUntilIdle());
    Remote().Sampler.SetFaults({});
}

int SocketSamplerTest::RunTool(const std::vector<std::string>& arguments) {
    std::vector<std::string> command = {TAVIMOR_CLI, "--device", Device};
    command.insert(command.end(), arguments.begin(), arguments.end());
    TChildProcess tool(command, {"XDG_CONFIG_HOME=" + Path("config"), "TAVIMOR_MIDI_DEVICES="},
                       Path("out.txt"), Path("errors.txt"));
    return tool.Wait();
}
