// The standalone virtual sampler started as a child process, run after run,
// its output going to files in a folder of its own.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/transfer/ChildProcess.h"

class TServerProcess {
public:
    // A fresh folder for the socket, the state file and the output.
    TServerProcess();
    ~TServerProcess();
    TServerProcess(const TServerProcess&) = delete;
    TServerProcess& operator=(const TServerProcess&) = delete;

    // Starts the program with these arguments; false when it cannot start.
    bool Start(const std::vector<std::string>& arguments);
    // Waits until the program accepts connections; the address it names.
    std::string WaitUntilListening() const;
    // Asks the program to stop as Ctrl+C does and waits; its exit code.
    int Stop();
    // Waits for the program to end by itself; its exit code.
    int Wait();

    // What every run so far wrote, its lines ended by LF on every system.
    std::string Stdout() const;
    std::string Stderr() const;

    std::filesystem::path Folder;
    std::string SocketPath;
    std::string StatePath;

private:
    std::string Output(const std::string& stream) const;
    std::string OutputFile(const std::string& stream, int run) const;

    std::unique_ptr<TChildProcess> Process;
    int Runs = 0;
};
