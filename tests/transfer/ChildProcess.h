// Another program run by a test: the standalone virtual sampler, or the
// command-line tool under test. Its output goes to files the test reads.
#pragma once

#include <string>
#include <vector>

class TChildProcess {
public:
    // Starts command[0] with the rest as its arguments. environment holds
    // NAME=VALUE entries that are added to this process's environment or
    // replace its entries. Empty file names discard the output.
    TChildProcess(const std::vector<std::string>& command,
                  const std::vector<std::string>& environment, const std::string& outputFile,
                  const std::string& errorFile);
    // Terminates the program if it still runs.
    ~TChildProcess();
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;

    bool Started() const;
    // The exit status; 128 + the signal's number when a signal ended it.
    int Wait();
    // Asks the program to stop (SIGTERM) and waits for it.
    int Terminate();
    // Presses Ctrl+C for the program (SIGINT; on Windows Ctrl+Break, the one
    // a program started in a group of its own can be sent), without waiting.
    void Interrupt();

private:
    // A process id, or on Windows the process's handle.
    long long Process = -1;
#ifdef _WIN32
    unsigned long ProcessId = 0;
#endif
    int Status = -1;
};

// The whole text of a file named in UTF-8; empty when there is none.
std::string ReadTextFile(const std::string& path);
