// The undo and redo history of the open wavesample. The audio never crosses
// the cable: before a data edit the sampler copies the range the edit
// changes into spare memory behind the work area the engine prepared at
// open, and an undo has it copied back. A redo sends the edit's requests
// again, which on the data the undo restored gives exactly what the edit
// gave. Marker and playback-mode changes keep the parameter block before and
// after and write the one wanted back.
//
// The steps form one line: an undo goes back one step, a redo forward one,
// and a new edit after undos drops the steps it could redo. The history ends
// with the wavesample: closing it clears the spare area, so that the sampler
// keeps nothing of the copies behind the wavesample's end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "eps/ParameterBlocks.h"
#include "eps/ReplyResult.h"

class TEps;

class TEditHistory {
public:
    // The most steps kept; a new one beyond drops the oldest.
    static constexpr std::size_t MaxSteps = 16;

    // Sends an edit's requests, each once the sampler has answered the one
    // before, and returns the last answer. Kept to redo the edit, so it
    // holds its arguments itself.
    using TRequests = std::function<TReplyResult(TEps&)>;

    explicit TEditHistory(TEps& eps) : Eps(eps) {}

    // A wavesample opened whose work area ends before spareStart.
    void Start(std::int32_t spareStart);
    // Forgets every step and clears the stretch of the spare area that
    // copies went to.
    void End();
    // The wavesample opened again after a transfer that left it as it was:
    // its steps go on when its spare area starts where it did.
    void Resume(std::int32_t spareStart);
    // Forgets every step without a word to the sampler: the copies may lie
    // under data a transfer put there since.
    void Abandon();

    // Has the sampler keep a copy of range, sends the requests, then
    // warns when no answer came or reads the view back. When the sampler
    // has no room for the copy the user is asked first: No leaves
    // everything as it was and returns false; Yes edits without an undo
    // step and ends the history, whose older steps could no longer be
    // undone in order.
    bool Edit(std::string name, const TSampleRange& range, TRequests requests);
    // Writes changed as the wavesample's parameter block (also when it is
    // the same) and keeps the block before, when it differs, as a step. The
    // caller has the owner show the change.
    void ChangeParameters(std::string name, const TWaveSampleBlock& changed);

    bool CanUndo() const { return Done > 0; }
    bool CanRedo() const { return Done < Steps.size(); }
    // What an undo or redo would take back or do again, as the edit's
    // command is named; empty when there is none.
    std::string UndoName() const;
    std::string RedoName() const;
    void Undo();
    void Redo();

private:
    struct TStep {
        std::string Name;
        // A data step: the range, where its copy lies, and the requests.
        TSampleRange Range;
        TSampleRange Copy;
        TRequests Requests;
        // A parameter step: the block before and after.
        TWaveSampleBlock Before{};
        TWaveSampleBlock After{};

        bool IsData() const { return static_cast<bool>(Requests); }
    };

    // Where a copy of length samples fits in the spare area beside the
    // copies of the steps from first to the last undoable one.
    std::int32_t FreePlace(std::size_t first, std::int32_t length) const;
    // Has the sampler copy range to copy and returns its answer.
    TReplyResult KeepCopy(const TSampleRange& range, const TSampleRange& copy);
    // After a copy to place that got no answer: drops the steps whose copies
    // it may have overwritten, with the steps that only they lead to.
    void DropOverwritten(const TSampleRange& landed);
    // Drops the steps that could be redone, and the oldest beyond MaxSteps.
    void Push(TStep step);
    void FinishData(TReplyResult reply);
    void WriteParameters(const TWaveSampleBlock& block);
    // Writes the block of an undo or redo and has the owner show it.
    void ShowParameters(const TWaveSampleBlock& block);
    void Forget();

    TEps& Eps;
    std::vector<TStep> Steps;
    // Steps[0, Done) can be undone, Steps[Done, end) redone.
    std::size_t Done = 0;
    std::int32_t SpareStart = 0;
    // The end of the spare area's stretch that copies went to.
    std::int32_t SpareUsed = 0;
};
