// The standalone virtual sampler started as a child process, its output
// going to files in a folder of its own.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

class TServerProcess {
public:
    // A fresh folder for the socket, the state file and the output.
    TServerProcess();
    ~TServerProcess();
    TServerProcess(const TServerProcess&) = delete;
    TServerProcess& operator=(const TServerProcess&) = delete;

    // Starts the program with these arguments; false when it cannot start.
    bool Start(const std::vector<std::string>& arguments);
    // Waits until the socket accepts connections.
    bool WaitUntilListening() const;
    // Sends SIGTERM and waits; the exit code, or -1 when it did not exit.
    int Terminate();
    // Waits for the program to end by itself; its exit code.
    int Wait();

    std::string Stdout() const;
    std::string Stderr() const;

    std::string Folder;
    std::string SocketPath;
    std::string StatePath;

private:
    pid_t Child = -1;
};
