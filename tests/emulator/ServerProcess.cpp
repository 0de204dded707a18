#include "tests/emulator/ServerProcess.h"

#include <string>

#include "tests/support/Eventually.h"
#include "tests/support/TempFolder.h"
#include "tests/transfer/VirtualEpsServer.h"

TServerProcess::TServerProcess() : Folder(MakeShortTempFolder("tavimor-eps")) {
    SocketPath = (Folder / "eps.sock").string();
    StatePath = (Folder / "eps.state").string();
}

TServerProcess::~TServerProcess() {
    Process.reset();
    std::filesystem::remove_all(Folder);
}

bool TServerProcess::Start(const std::vector<std::string>& arguments) {
    std::vector<std::string> command = {TAVIMOR_VIRTUAL_EPS};
    command.insert(command.end(), arguments.begin(), arguments.end());
    // Each run writes files of its own, since a new child's files start empty.
    ++Runs;
    Process =
        std::make_unique<TChildProcess>(command, std::vector<std::string>{},
                                        OutputFile("stdout", Runs), OutputFile("stderr", Runs));
    return Process->Started();
}

std::string TServerProcess::WaitUntilListening() const {
    std::string address;
    Eventually([&] {
        return !(address = ListeningAddress(ReadTextFile(OutputFile("stderr", Runs)))).empty();
    });
    return address;
}

int TServerProcess::Stop() {
    Process->Interrupt();
    return Wait();
}

int TServerProcess::Wait() {
    return Process->Wait();
}

std::string TServerProcess::Stdout() const {
    return Output("stdout");
}

std::string TServerProcess::Stderr() const {
    return Output("stderr");
}

std::string TServerProcess::Output(const std::string& stream) const {
    std::string text;
    for (int run = 1; run <= Runs; ++run) {
        text += ReadTextFile(OutputFile(stream, run));
    }
    // Windows' text mode ends the lines with CR LF.
    std::erase(text, '\r');
    return text;
}

std::string TServerProcess::OutputFile(const std::string& stream, int run) const {
    return (Folder / (stream + "." + std::to_string(run))).string();
}
