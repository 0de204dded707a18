// The standalone sampler's socket front end, served on a thread of the test,
// and the fault tests that reach it over a unix: connection (tcp: on
// Windows): the engine's ports and the command-line tool, a program of its
// own, on the same line.
#pragma once

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "emulator/SocketServer.h"
#include "platform/Wakeup.h"
#include "tests/faults/FaultFixture.h"

class TSocketSampler {
public:
    // Serves the address, such as "unix:PATH".
    explicit TSocketSampler(const std::string& address);
    ~TSocketSampler();
    TSocketSampler(const TSocketSampler&) = delete;
    TSocketSampler& operator=(const TSocketSampler&) = delete;

    TVirtualSampler Sampler{TSamplerOptions{}};
    TSocketServer Server;
    bool Listening = false;

private:
    TWakeup Stop;
    std::thread Serving;
};

class SocketSamplerTest : public FaultTest {
protected:
    void SetUp() override;

    // The sampler behaves again once it has answered what it was sent.
    void Mend();
    TSocketSampler& Remote() { return *RemoteSampler; }

    // Runs the command-line tool on the line; its output and errors go to
    // out.txt and errors.txt of the test's folder.
    int RunTool(const std::vector<std::string>& arguments);

    std::string Device;
    std::unique_ptr<TSocketSampler> RemoteSampler;
};
