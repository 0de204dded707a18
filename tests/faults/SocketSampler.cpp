#include "tests/faults/SocketSampler.h"

#include "platform/MidiDevices.h"
#include "tests/support/DeviceNumbers.h"
#include "tests/support/ServerSockets.h"
#include "tests/transfer/ChildProcess.h"

TSocketSampler::TSocketSampler(const std::string& address) : Server(Sampler) {
    std::string error;
    const std::optional<TSocketAddress> where = TSocketAddress::Parse(address, error);
    Listening = where && Stop.IsReady() && Server.Listen(*where, error);
    if (Listening) {
        Serving = std::thread([this] { Server.Serve(Stop); });
    }
}

TSocketSampler::~TSocketSampler() {
    if (Listening) {
        Stop.Raise();
        Serving.join();
    }
}

void SocketSamplerTest::SetUp() {
    FaultTest::SetUp();
    // The socket lies in the test's own folder, which exists from here on;
    // without Unix sockets it is a free loopback port.
    RemoteSampler = std::make_unique<TSocketSampler>(ServerSockets().front() == TServerSocket::Unix
                                                         ? "unix:" + Path("eps.sock")
                                                         : "tcp:127.0.0.1:0");
    ASSERT_TRUE(Remote().Listening);
    Device = Remote().Server.Address();
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
