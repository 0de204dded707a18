#include "eps/EditHistory.h"

#include <algorithm>
#include <utility>

#include "eps/Eps.h"
#include "eps/SampleRange.h"

void TEditHistory::Start(std::int32_t spareStart) {
    Forget();
    SpareStart = spareStart;
    SpareUsed = spareStart;
}

// The wavesample's end address does not reach the spare area, so the
// sampler has nothing there that a listener or a later edit would meet;
// cleared, it is the silence the work area behind the data already is.
void TEditHistory::End() {
    if (SpareUsed > SpareStart) {
        Eps.ClearData(SpareStart, SpareUsed);
        Eps.WaitForReply();
    }
    Start(SpareStart);
}

void TEditHistory::Resume(std::int32_t spareStart) {
    if (spareStart != SpareStart) {
        Start(spareStart);
    }
}

void TEditHistory::Abandon() {
    Start(SpareStart);
}

void TEditHistory::Forget() {
    Steps.clear();
    Done = 0;
}

// At the limit the oldest step goes with this edit, so its copy's place
// counts as free.
bool TEditHistory::Edit(std::string name, const TSampleRange& range, TRequests requests) {
    const TSampleRange copy =
        TSampleRange::Counted(FreePlace(Done == MaxSteps ? 1 : 0, range.Count()), range.Count());
    const TReplyResult kept = KeepCopy(range, copy);
    if (IsUnanswered(kept)) {
        DropOverwritten(copy);
        Eps.ReportUnanswered();
        Eps.UpdateCommands();
        return false;
    }
    if (kept == rrAck) {
        TStep step;
        step.Name = std::move(name);
        step.Range = range;
        step.Copy = copy;
        step.Requests = requests;
        Push(std::move(step));
    } else if (Eps.AskEditWithoutUndo()) {
        Forget();
    } else {
        return false;
    }
    FinishData(requests(Eps));
    return true;
}

void TEditHistory::ChangeParameters(std::string name, const TWaveSampleBlock& changed) {
    if (changed != Eps.WaveSampleParameters) {
        TStep step;
        step.Name = std::move(name);
        step.Before = Eps.WaveSampleParameters;
        step.After = changed;
        Push(std::move(step));
    }
    WriteParameters(changed);
}

std::string TEditHistory::UndoName() const {
    return CanUndo() ? Steps[Done - 1].Name : std::string();
}

std::string TEditHistory::RedoName() const {
    return CanRedo() ? Steps[Done].Name : std::string();
}

// A copy the sampler refuses leaves the step to undo another time.
void TEditHistory::Undo() {
    if (!CanUndo()) {
        return;
    }
    const TStep& step = Steps[Done - 1];
    if (!step.IsData()) {
        --Done;
        ShowParameters(step.Before);
        return;
    }
    Eps.CopyData(step.Copy.First, step.Copy.Last, step.Range.First);
    Eps.FullViewStale = true;
    const TReplyResult reply = Eps.WaitForReply();
    if (reply == rrAck) {
        --Done;
    }
    FinishData(reply);
}

// The data is as it was before the edit, so the copy still holds it for
// the next undo.
void TEditHistory::Redo() {
    if (!CanRedo()) {
        return;
    }
    const TStep& step = Steps[Done++];
    if (step.IsData()) {
        FinishData(step.Requests(Eps));
    } else {
        ShowParameters(step.After);
    }
}

// The lowest place from the spare area's start that overlaps none of the
// copies still needed.
std::int32_t TEditHistory::FreePlace(std::size_t first, std::int32_t length) const {
    std::vector<std::pair<std::int32_t, std::int32_t>> taken;
    for (std::size_t i = first; i < Done; ++i) {
        if (Steps[i].IsData()) {
            taken.emplace_back(Steps[i].Copy.First, Steps[i].Copy.End());
        }
    }
    std::sort(taken.begin(), taken.end());
    std::int32_t place = SpareStart;
    for (const auto& [from, to] : taken) {
        if (from - place >= length) {
            break;
        }
        place = std::max(place, to);
    }
    return place;
}

// A copy that got no answer may have landed all the same: the end of the
// history clears it too.
TReplyResult TEditHistory::KeepCopy(const TSampleRange& range, const TSampleRange& copy) {
    Eps.CopyData(range.First, range.Last, copy.First);
    const TReplyResult reply = Eps.WaitForReply();
    if (reply == rrAck || IsUnanswered(reply)) {
        SpareUsed = std::max(SpareUsed, copy.End());
    }
    return reply;
}

// A step whose copy may be overwritten can be neither undone nor, once
// redone, undone again; the older steps behind one to undo, and the steps
// after one to redo, can no longer be reached.
void TEditHistory::DropOverwritten(const TSampleRange& landed) {
    const auto overwritten = [landed](const TStep& step) {
        return step.IsData() && landed.Overlaps(step.Copy);
    };
    Steps.erase(
        std::find_if(Steps.begin() + static_cast<std::ptrdiff_t>(Done), Steps.end(), overwritten),
        Steps.end());
    const auto newest = std::find_if(Steps.rbegin(), Steps.rend(), overwritten);
    Done -= static_cast<std::size_t>(Steps.rend() - newest);
    Steps.erase(Steps.begin(), newest.base());
}

void TEditHistory::Push(TStep step) {
    Steps.resize(Done);
    if (Steps.size() == MaxSteps) {
        Steps.erase(Steps.begin());
    }
    Steps.push_back(std::move(step));
    Done = Steps.size();
}

// As after any edit: without an answer the view is left as it was, since
// reading it back would only meet the same silence.
void TEditHistory::FinishData(TReplyResult reply) {
    if (IsUnanswered(reply)) {
        Eps.ReportUnanswered();
        Eps.UpdateCommands();
        return;
    }
    Eps.RefreshView();
}

// A refusal leaves the sampler's block as it was; the next write sends the
// whole block again.
void TEditHistory::WriteParameters(const TWaveSampleBlock& block) {
    Eps.WaveSampleParameters = block;
    if (Eps.PutWaveSampleParameters() == wrUnanswered) {
        Eps.ReportUnanswered();
    }
}

// The loop markers and loop commands follow the mode.
void TEditHistory::ShowParameters(const TWaveSampleBlock& block) {
    WriteParameters(block);
    Eps.UpdateCommands();
    Eps.UpdateView();
}
