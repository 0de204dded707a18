// What the download and upload workflows need from the program around them:
// the target and file choices, the progress window, the event pump and a
// word to the user about how the transfer ended. The desktop program answers
// with its dialogs, the command-line tool with its arguments and a terminal
// progress bar.
#pragma once

#include <cstdint>
#include <string>

#include "eps/ReplyResult.h"

enum TTransferDirection { tdDownload, tdUpload };

enum TTransferOutcome {
    toCompleted,
    // Ended before any sample moved, with nothing more to say: the
    // connection check has told the user already, or the user cancelled a
    // choice.
    toNotStarted,
    // Could not start, or could not write its file; the message says why.
    toFailed,
    toCancelled,
    // The sampler answered something the transfer cannot go on from.
    toRefused,
    // The sampler sent nothing for the transfer's silence limit.
    toNoAnswer,
};

struct TTransferReport {
    TTransferOutcome Outcome = toNotStarted;
    // One line for the user; empty for toNotStarted.
    std::string Message;
    // The sampler's last reply, for toRefused.
    TReplyResult Reply = rrAck;
    std::string File;
    // A download that did not complete leaves its file behind, holding the
    // header of the whole wavesample and only the blocks that came.
    bool IncompleteFile = false;
    std::uint32_t Done = 0;
    std::uint32_t Total = 0;
};

class TTransferFrontEnd {
public:
    virtual ~TTransferFrontEnd() = default;

    // The browser: sets the engine's Instrument and WaveSample to the
    // user's choice; false when the user cancels.
    virtual bool ChooseTarget(TTransferDirection direction) = 0;
    // The file dialog (save for a download, open for an upload), starting in
    // initialFolder; the chosen path, or empty when the user cancels.
    virtual std::string ChooseFile(TTransferDirection direction,
                                   const std::string& initialFolder) = 0;
    // What the upload makes of its file, one line before the transfer:
    // "FLAC, 48000 Hz, 2 channels, 24-bit, 0:12.5 → 44642 Hz, 558,036 words,
    // about 9:24 at MIDI speed".
    virtual void ShowFileInfo(const std::string& text) = 0;

    // The progress window: shown with its caption and a cleared Cancel flag,
    // fed after each block, hidden at the end.
    virtual void BeginTransfer(const std::string& caption) = 0;
    virtual void ShowProgress(float secondsLeft, float percent) = 0;
    // Where a job of many transfers stands ("Wavesample 2 of 5, ..."),
    // shown beside the progress until the job ends.
    virtual void ShowStep(const std::string& text) = 0;
    // The sampler has sent nothing for this many whole seconds while the
    // transfer waits for it; shown instead of the time left until the next
    // ShowProgress.
    virtual void ShowStall(int seconds) = 0;
    virtual void EndTransfer() = 0;
    virtual bool Cancelled() = 0;
    // Serves whatever input is pending (the Cancel button); called once per
    // pass of the transfer loop.
    virtual void ProcessEvents() = 0;

    // Called once at the end of every run, whatever the outcome.
    virtual void TransferEnded(const TTransferReport& report) = 0;
};
