// The debug trace of one run written to a file the user names.
#pragma once

#include <string>

class TTraceFile {
public:
    TTraceFile() = default;
    // Closes the trace.
    ~TTraceFile();
    TTraceFile(const TTraceFile&) = delete;
    TTraceFile& operator=(const TTraceFile&) = delete;

    // Starts the trace into file; false with the reason when it cannot.
    bool Open(const std::string& file, std::string& error);

private:
    bool Opened = false;
};
