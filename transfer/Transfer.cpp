#include "transfer/Transfer.h"

#include <filesystem>

#include "debug/DebugDevice.h"
#include "eps/ReplyText.h"
#include "platform/Utf8.h"

namespace {

// The longest a wait state sleeps before the loop serves the window again:
// short enough for the Cancel button to answer at once. The sleep ends as
// soon as the awaited bytes are there, so it costs no speed, and it costs no
// processor time either.
constexpr auto ServePause = std::chrono::milliseconds(20);
// Silence longer than this is shown instead of a time estimate that would
// stand still.
constexpr auto StallNotice = std::chrono::seconds(2);

std::string DurationText(std::chrono::milliseconds duration) {
    return duration.count() % 1000 == 0 ? std::to_string(duration.count() / 1000) + " s"
                                        : std::to_string(duration.count()) + " ms";
}

} // namespace

TTransfer::TTransfer(TEps& eps, TTransferFrontEnd& frontEnd, std::string& uploadDownloadPath)
    : Eps(eps), FrontEnd(frontEnd), UploadDownloadPath(&uploadDownloadPath) {}

TTransfer::TTransfer(TEps& eps, TTransferFrontEnd& frontEnd) : Eps(eps), FrontEnd(frontEnd) {}

void TTransfer::RunLoop(int& state, std::string_view stateLabel) {
    int traced = 0;
    try {
        while (state != 0) {
            FrontEnd.ProcessEvents();
            if (FrontEnd.Cancelled()) {
                CancelSeen = true;
                UserCancelled();
                state = 0;
            }
            if (state != traced) {
                Trace(std::string(stateLabel) + std::to_string(state));
                traced = state;
                RestartSilenceClock();
            }
            if (state != 0) {
                state = Step(state);
            }
        }
        if (CancelSeen || Silent) {
            Eps.ExchangeGivenUp();
        }
    } catch (...) {
        // A port's hard failure: the parser must not stay in transfer mode,
        // and the progress window must not stay up.
        state = 0;
        FrontEnd.EndTransfer();
        throw;
    }
}

int TTransfer::Await(std::uint32_t count, int waiting, int next) {
    const std::uint32_t present = Eps.MidiIn->InputCount();
    if (present >= count) {
        return next;
    }
    const TClock::time_point now = TClock::now();
    if (present != LastCount) {
        LastCount = present;
        LastChange = now;
    } else if (now - LastChange >= SilenceLimit) {
        Trace("No answer for " + DurationText(SilenceLimit));
        Silent = true;
        return 0;
    } else if (now - LastChange >= StallNotice) {
        ShowStall(now - LastChange);
    }
    Eps.MidiIn->WaitForInput(count, ServePause);
    return waiting;
}

int TTransfer::Expect(TReplyResult expected, int next) {
    const TReplyResult reply = Eps.ProcessInput();
    return reply == expected ? next : Stop(reply);
}

int TTransfer::Stop(TReplyResult reply) {
    Refused = true;
    Report.Reply = reply;
    return 0;
}

void TTransfer::RestartSilenceClock() {
    LastCount = Eps.MidiIn->InputCount();
    LastChange = TClock::now();
}

void TTransfer::ShowStall(TClock::duration silence) {
    const auto seconds =
        static_cast<int>(std::chrono::duration_cast<std::chrono::seconds>(silence).count());
    if (seconds != StallShown) {
        StallShown = seconds;
        FrontEnd.ShowStall(seconds);
    }
}

void TTransfer::StartClock() {
    StartTime = TClock::now();
    LastProgress = StartTime;
}

void TTransfer::ShowProgress(std::uint32_t done, std::uint32_t total) {
    const TClock::time_point now = TClock::now();
    const auto elapsed = static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now - StartTime).count());
    const auto millisecondsLeft =
        static_cast<float>(static_cast<long double>(elapsed) * total / done - elapsed);
    const float secondsLeft =
        TimeLeft.Next((millisecondsLeft + 999) * 0.001f,
                      std::chrono::duration<float>(now - LastProgress).count());
    LastProgress = now;
    StallShown = 0;
    // Wide, so that a long wavesample does not overflow the product.
    const auto percent = static_cast<float>(std::uint64_t{done} * 100 / total);
    FrontEnd.ShowProgress(secondsLeft, percent);
    Report.Done = done;
}

std::string TTransfer::TargetText() const {
    return "instrument " + std::to_string(Eps.Instrument + 1) + ", wavesample " +
           std::to_string(Eps.WaveSample);
}

void TTransfer::Trace(const std::string& line) {
    DebugWriteLn(DebugDevice, line);
}

bool TTransfer::ChooseAndOpen(TTransferDirection direction, const char* mode,
                              const std::string& traceText, const std::string& failureText) {
    Report.File = FrontEnd.ChooseFile(direction, *UploadDownloadPath);
    if (Report.File.empty() || !OpenReportFile(mode, traceText, failureText)) {
        return false;
    }
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(TUtf8::Path(Report.File), error);
    if (!error) {
        *UploadDownloadPath = TUtf8::Text(path.parent_path());
    }
    return true;
}

bool TTransfer::OpenReportFile(const char* mode, const std::string& traceText,
                               const std::string& failureText) {
    File.reset(TUtf8::Open(Report.File, mode));
    if (!File) {
        Trace(traceText + Report.File);
        return Fail(failureText + Report.File + ".");
    }
    return true;
}

bool TTransfer::Fail(const std::string& message) {
    Report.Outcome = toFailed;
    Report.Message = message;
    return false;
}

std::string TTransfer::SettleOutcome(bool completed, std::string_view what) {
    const std::string name(what);
    if (CancelSeen) {
        Report.Outcome = toCancelled;
        return "The " + name + " was cancelled";
    }
    if (Silent) {
        Report.Outcome = toNoAnswer;
        return "The sampler sent nothing for " + DurationText(SilenceLimit) + "; the " + name +
               " was stopped";
    }
    if (Refused || !completed) {
        Report.Outcome = toRefused;
        if (Report.Reply == rrUnexpectedBlock) {
            return "The sampler sent a block other than the one asked for; the " + name +
                   " was stopped";
        }
        return "The sampler stopped the " + name + " (" + ReplyText(Report.Reply) + ")";
    }
    Report.Outcome = toCompleted;
    return {};
}
