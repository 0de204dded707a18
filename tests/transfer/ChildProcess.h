// Another program run by a test: the standalone virtual sampler, or the
// command-line tool under test. Its output goes to files the test reads.
#pragma once

#include <string>
#include <sys/types.h>
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

    bool Started() const { return Pid > 0; }
    // The exit status; 128 + the signal's number when a signal ended it.
    int Wait();
    // Asks the program to stop (SIGTERM) and waits for it.
    int Terminate();
    // Sends a signal without waiting.
    void Signal(int signal);

private:
    pid_t Pid = -1;
    int Status = -1;
};

// The whole text of a file; empty when there is none.
std::string ReadTextFile(const std::string& path);
