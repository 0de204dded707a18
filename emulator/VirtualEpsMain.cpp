// tavimor-virtual-eps: the virtual sampler as a program of its own, serving
// a Unix socket or a raw MIDI device file (and, where there is a sequencer,
// an ALSA port) until it is interrupted, then saving its memory if asked to.
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <memory>
#include <poll.h>
#include <unistd.h>

#include "TavimorVersion.h"
#include "emulator/DemoBank.h"
#include "emulator/ServerOptions.h"
#include "emulator/SocketServer.h"
#include "emulator/StateFile.h"
#include "emulator/StreamLink.h"
#include "emulator/VirtualSampler.h"
#ifdef TAVIMOR_HAVE_ALSA
#include "emulator/AlsaVirtualPort.h"
#endif

namespace {

// Readable once the program is to stop: every loop polls it, and a signal
// handler may write to it.
int StopPipe[2] = {-1, -1};

void RequestStop(int) {
    const char byte = 0;
    [[maybe_unused]] const ssize_t written = write(StopPipe[1], &byte, 1);
}

bool InstallSignals() {
    struct sigaction action = {};
    action.sa_handler = &RequestStop;
    sigemptyset(&action.sa_mask);
    return pipe2(StopPipe, O_CLOEXEC) == 0 && sigaction(SIGINT, &action, nullptr) == 0 &&
           sigaction(SIGTERM, &action, nullptr) == 0;
}

int Fail(const std::string& message, int code) {
    std::cerr << "tavimor-virtual-eps: " << message << std::endl;
    return code;
}

// The state file's memory when there is one, else the chosen bank.
bool StartingMemory(const TServerOptions& options, TSamplerModel& memory, std::string& error) {
    if (!options.StatePath.empty() && std::filesystem::exists(options.StatePath)) {
        return TStateFile::Load(memory, options.StatePath, error);
    }
    if (options.Sampler.DemoBank) {
        TDemoBank::Load(memory);
    }
    return true;
}

int ServeRawMidi(const std::string& path, const std::string& name, TVirtualSampler& sampler) {
    const int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        RequestStop(0); // lets the sequencer port's reader end
        return Fail("cannot open " + path + ": " + std::strerror(errno), 1);
    }
    std::cerr << name << " on " << path << std::endl;
    {
        TStreamLink link(sampler, fd);
        link.Serve(StopPipe[0]);
    }
    close(fd);
    return 0;
}

void WaitForStop() {
    pollfd stop = {StopPipe[0], POLLIN, 0};
    while (poll(&stop, 1, -1) < 0 && errno == EINTR) {
    }
}

int Serve(const TServerOptions& options, TVirtualSampler& sampler) {
    std::string error;
#ifdef TAVIMOR_HAVE_ALSA
    std::unique_ptr<TAlsaVirtualPort> port;
    if (options.VirtualPort && !(port = TAlsaVirtualPort::Open(sampler, StopPipe[0], error))) {
        return Fail(error, 1);
    }
#else
    if (options.VirtualPort) {
        return Fail("this system has no MIDI subsystem (built without ALSA)", 1);
    }
#endif
    const std::string name = std::string("Virtual EPS (") +
                             TSamplerModel::KindName(options.Sampler.Kind) + ", channel " +
                             std::to_string(options.Sampler.Channel) + ")";
    if (!options.RawMidiPath.empty()) {
        return ServeRawMidi(options.RawMidiPath, name, sampler);
    }
    if (options.ListenPath.empty()) {
        std::cerr << name << " on the sequencer port" << std::endl;
        WaitForStop();
        return 0;
    }
    TSocketServer server(sampler);
    if (!server.Listen(options.ListenPath, error)) {
        RequestStop(0); // lets the sequencer port's reader end
        return Fail(error, 1);
    }
    std::cerr << name << " listening on unix:" << options.ListenPath << std::endl;
    server.Serve(StopPipe[0]);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    TServerOptions options;
    std::string error;
    if (!TServerOptions::Parse({argv + 1, argv + argc}, options, error)) {
        return Fail(error + " (see --help)", 2);
    }
    if (options.Help) {
        std::cout << TServerOptions::Usage();
        return 0;
    }
    if (options.Version) {
        std::cout << "tavimor-virtual-eps " TAVIMOR_VERSION "\n";
        return 0;
    }
    TSamplerModel memory(options.Sampler.Kind);
    if (!StartingMemory(options, memory, error)) {
        return Fail(error, 1);
    }
    if (!InstallSignals()) {
        return Fail("cannot set up the signal handlers", 1);
    }
    TVirtualSampler sampler(options.Sampler, std::move(memory));
    if (options.Log) {
        sampler.SetLog([](const std::string& line) { std::cout << line << std::endl; });
    }
    const int result = Serve(options, sampler);
    sampler.Stop();
    if (result == 0 && !options.StatePath.empty()) {
        sampler.Inspect([&](TSamplerModel& model) {
            if (!TStateFile::Save(model, options.StatePath, error)) {
                Fail(error, 1);
            }
        });
        return error.empty() ? 0 : 1;
    }
    return result;
}
