// What the transfers share: a loop that performs one step of a state machine
// per pass while it serves the progress window, waits for the sampler's
// replies by polling the number of bytes waiting in the input, the progress
// figures, and the word to the user at the end.
//
// The state numbers live in the engine (DownloadState, UploadState) because
// the reply parser reads them too.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "eps/Eps.h"
#include "transfer/TimeLeft.h"
#include "transfer/TransferFrontEnd.h"

class TTransfer {
public:
    // A wait for the sampler that sees no new byte for this long stops the
    // transfer as a refusal would. Far beyond the pause of a sampler that is
    // storing a block, and short enough not to leave the user guessing.
    std::chrono::milliseconds SilenceLimit = std::chrono::seconds(30);

    virtual ~TTransfer() = default;
    TTransfer(const TTransfer&) = delete;
    TTransfer& operator=(const TTransfer&) = delete;

protected:
    using TClock = std::chrono::steady_clock;

    // The length of the sampler's response message, what most wait states
    // wait for.
    static constexpr std::uint32_t ResponseBytes = 8;
    // A data header, and what a data message holds besides three bytes a
    // word.
    static constexpr std::uint32_t DataHeaderBytes = 20;
    static constexpr std::uint32_t DataFramingBytes = 5;

    struct TFileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    using TFile = std::unique_ptr<std::FILE, TFileCloser>;

    // uploadDownloadPath is the folder the file dialogs start in; each
    // transfer leaves there the folder of the file it used.
    TTransfer(TEps& eps, TTransferFrontEnd& frontEnd, std::string& uploadDownloadPath);
    // A transfer whose file is given: it has no file dialog to start.
    TTransfer(TEps& eps, TTransferFrontEnd& frontEnd);

    // Passes of the loop while state is not 0: serve the window, take a
    // cancel, trace each new state as stateLabel and its number, perform
    // the state's step.
    void RunLoop(int& state, std::string_view stateLabel);
    // Performs one state's action and gives the next state.
    virtual int Step(int state) = 0;
    // Called on the pass that sees the Cancel flag.
    virtual void UserCancelled() {}

    // A wait state: next once count bytes are waiting, waiting while they
    // are not (after a short sleep), 0 once the sampler has sent nothing for
    // SilenceLimit.
    int Await(std::uint32_t count, int waiting, int next);
    // next when the sampler's reply is expected, else the end of the loop.
    int Expect(TReplyResult expected, int next);
    // Ends the loop on a reply it cannot go on from.
    int Stop(TReplyResult reply);

    void StartClock();
    // Time left and percentage after done of total words.
    void ShowProgress(std::uint32_t done, std::uint32_t total);

    // "instrument 2, wavesample 1", the engine's current target as the user
    // counts.
    std::string TargetText() const;
    // A line of the debug trace.
    static void Trace(const std::string& line);

    // The file dialog, then the chosen file opened in mode and its folder
    // kept for the next dialog; for the transfers made with a folder. False
    // when the user cancels, or after tracing traceText and the name when
    // the file does not open.
    bool ChooseAndOpen(TTransferDirection direction, const char* mode, const std::string& traceText,
                       const std::string& failureText);
    // Report.File opened in mode; false after tracing traceText and the name
    // when it does not open.
    bool OpenReportFile(const char* mode, const std::string& traceText,
                        const std::string& failureText);
    // Ends the preparation without a transfer; always false.
    bool Fail(const std::string& message);
    // How the loop ended: the outcome in the report and, when it did not
    // complete, the start of its message ("The download was cancelled",
    // "The sampler stopped the download (no such wavesample)").
    std::string SettleOutcome(bool completed, std::string_view what);

    TEps& Eps;
    TTransferFrontEnd& FrontEnd;
    // Null for a transfer whose file is given.
    std::string* UploadDownloadPath = nullptr;
    TTransferReport Report;
    TFile File;

private:
    void RestartSilenceClock();
    // Tells the front end how long the sampler has been silent, once for
    // each whole second.
    void ShowStall(TClock::duration silence);

    bool CancelSeen = false;
    bool Silent = false;
    bool Refused = false;
    TClock::time_point StartTime;
    std::uint32_t LastCount = 0;
    TClock::time_point LastChange;
    // The whole seconds of silence last shown; 0 while bytes flow.
    int StallShown = 0;
    TTimeLeft TimeLeft;
    TClock::time_point LastProgress;
};
