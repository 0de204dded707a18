// Captures the program-wide debug trace of one test in a private folder, so
// that tests can check the trace lines the program writes.
#pragma once

#include <filesystem>
#include <string>

class TTraceCapture {
public:
    // What the debug device writes around each session.
    static inline const std::string StartBanner = "**************************\r\n"
                                                  "* Start of debug session *\r\n"
                                                  "**************************\r\n";
    static inline const std::string EndBanner = "**************************\r\n"
                                                "*  End of debug session  *\r\n"
                                                "**************************\r\n"
                                                "\r\n"
                                                "\r\n";

    TTraceCapture();
    ~TTraceCapture();
    TTraceCapture(const TTraceCapture&) = delete;
    TTraceCapture& operator=(const TTraceCapture&) = delete;

    // What has been traced since the capture began, without the banners.
    std::string Text();
    // Starts afresh: what was traced so far is forgotten.
    void Clear();

private:
    std::filesystem::path Folder;
    std::string Kept;
};
