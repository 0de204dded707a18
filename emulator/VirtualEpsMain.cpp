// tavimor-virtual-eps: the virtual sampler as a program of its own, serving
// a Unix socket, a loopback TCP port or a raw MIDI device file (and, where
// there is a sequencer, an ALSA port) until it is interrupted, then saving
// its memory if asked to.
#include <filesystem>
#include <iostream>
#include <memory>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#endif

#include "TavimorVersion.h"
#include "emulator/DemoBank.h"
#include "emulator/RawMidiBuffer.h"
#include "emulator/ServerOptions.h"
#include "emulator/SocketServer.h"
#include "emulator/StateFile.h"
#include "emulator/StreamLink.h"
#include "emulator/VirtualSampler.h"
#include "platform/Utf8.h"
#include "platform/Wakeup.h"
#ifdef TAVIMOR_HAVE_ALSA
#include "emulator/AlsaVirtualPort.h"
#endif

namespace {

// Raised once the program is to stop: every loop waits on it, and a signal
// or console handler raises it.
const TWakeup* StopRequest = nullptr;

#ifdef _WIN32

// Ctrl+C and Ctrl+Break stop the server cleanly, as SIGINT does elsewhere;
// the other events end the process as they would without us.
BOOL WINAPI RequestStop(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
        return FALSE;
    }
    StopRequest->Raise();
    return TRUE;
}

bool InstallStopHandlers() {
    return SetConsoleCtrlHandler(&RequestStop, TRUE) != 0;
}

#else

void RequestStop(int) {
    StopRequest->Raise();
}

bool InstallStopHandlers() {
    struct sigaction action = {};
    action.sa_handler = &RequestStop;
    sigemptyset(&action.sa_mask);
    return sigaction(SIGINT, &action, nullptr) == 0 && sigaction(SIGTERM, &action, nullptr) == 0;
}

#endif

int Fail(const std::string& message, int code) {
    std::cerr << "tavimor-virtual-eps: " << message << std::endl;
    return code;
}

// The state file's memory when there is one, else the chosen bank.
bool StartingMemory(const TServerOptions& options, TSamplerModel& memory, std::string& error) {
    if (!options.StatePath.empty() && std::filesystem::exists(TUtf8::Path(options.StatePath))) {
        return TStateFile::Load(memory, options.StatePath, error);
    }
    if (options.Sampler.DemoBank) {
        TDemoBank::Load(memory);
    }
    return true;
}

#ifdef _WIN32

int ServeRawMidi(const std::string&, const std::string&, TVirtualSampler&) {
    return Fail("--raw-midi needs a raw MIDI device file, which Windows does not have", 1);
}

#else

int ServeRawMidi(const std::string& path, const std::string& name, TVirtualSampler& sampler) {
    const int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        StopRequest->Raise(); // lets the sequencer port's reader end
        return Fail("cannot open " + path + ": " + std::strerror(errno), 1);
    }
    MakeRoomForWholeBlocks(fd);
    std::cerr << name << " on " << path << std::endl;
    {
        TStreamLink link(sampler, fd);
        link.Serve(*StopRequest);
    }
    close(fd);
    return 0;
}

#endif

int Serve(const TServerOptions& options, TVirtualSampler& sampler) {
    std::string error;
#ifdef TAVIMOR_HAVE_ALSA
    std::unique_ptr<TAlsaVirtualPort> port;
    if (options.VirtualPort &&
        !(port = TAlsaVirtualPort::Open(sampler, StopRequest->Handle(), error))) {
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
    if (!options.Listen) {
        std::cerr << name << " on the sequencer port" << std::endl;
        StopRequest->Wait();
        return 0;
    }
    TSocketServer server(sampler);
    if (!server.Listen(*options.Listen, error)) {
        StopRequest->Raise(); // lets the sequencer port's reader end
        return Fail(error, 1);
    }
    std::cerr << name << " listening on " << server.Address() << std::endl;
    server.Serve(*StopRequest);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    TUtf8::UseConsole();
    TServerOptions options;
    std::string error;
    if (!TServerOptions::Parse(TUtf8::Arguments(argc, argv), options, error)) {
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
    static const TWakeup stop;
    StopRequest = &stop;
    if (!stop.IsReady() || !InstallStopHandlers()) {
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
