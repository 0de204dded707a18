// The debug trace of one run written to a file the user names. The trace
// device writes "Debug.txt" in a folder it is given, so the tool gives it a
// private folder in which that name leads to the user's file.
#pragma once

#include <filesystem>
#include <string>

class TTraceFile {
public:
    TTraceFile() = default;
    // Closes the trace and removes the private folder.
    ~TTraceFile();
    TTraceFile(const TTraceFile&) = delete;
    TTraceFile& operator=(const TTraceFile&) = delete;

    // Starts the trace into file; false with the reason when it cannot.
    bool Open(const std::string& file, std::string& error);

private:
    std::filesystem::path Folder;
};
