// Recording stand-ins for the window that owns the engine and for the
// dialogs it shows.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "eps/EpsDialogs.h"
#include "eps/EpsOwner.h"

class TRecordingOwner : public TEpsOwner {
public:
    void BeginBusy() override {
        ++Busy;
        ++BeginCount;
        Calls.push_back("BeginBusy");
    }
    void EndBusy() override {
        --Busy;
        Calls.push_back("EndBusy");
    }
    void UpdateCommands() override {
        ++CommandUpdates;
        Calls.push_back("UpdateCommands");
    }
    void UpdateView() override {
        ++ViewUpdates;
        Calls.push_back("UpdateView");
    }
    bool ContinueWaiting() override { return ++WaitingCalls != CancelAtCall; }

    // Raised busy count; 0 whenever the engine is idle.
    int Busy = 0;
    int BeginCount = 0;
    int CommandUpdates = 0;
    int ViewUpdates = 0;
    std::vector<std::string> Calls;
    int WaitingCalls = 0;
    // The call of ContinueWaiting that answers Cancel; 0 for none.
    int CancelAtCall = 0;
};

class TRecordingDialogs : public TEpsDialogs {
public:
    TModalResult ShowConnectionFailure(NoEpsReason reason) override {
        Reasons.push_back(reason);
        if (OnConnectionFailure) {
            OnConnectionFailure(reason);
        }
        if (Answers.empty()) {
            return mrOk;
        }
        const TModalResult answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    void ShowWarning(std::string_view text, TMessageCaption caption) override {
        Warnings.emplace_back(std::string(text), caption);
    }
    bool AskEditWithoutUndo() override {
        ++UndoQuestions;
        return EditWithoutUndo;
    }

    std::vector<NoEpsReason> Reasons;
    // What the user answers the connection dialog, in order; OK when empty.
    std::deque<TModalResult> Answers;
    // What the user does about the failure before answering.
    std::function<void(NoEpsReason)> OnConnectionFailure;
    std::vector<std::pair<std::string, TMessageCaption>> Warnings;
    int UndoQuestions = 0;
    // The answer to whether to edit without an undo step.
    bool EditWithoutUndo = true;
};
