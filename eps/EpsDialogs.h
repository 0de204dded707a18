// What the engine shows the user: the connection failure dialog, the two
// refusals the sampler explains, and the question before an edit that
// cannot be undone.
#pragma once

#include <string_view>

// Why the sampler cannot be reached.
enum NoEpsReason {
    neMidiIn = 1,     // the input device does not open
    neMidiOut = 2,    // the output device does not open
    neNoAnswer = 3,   // nothing answers the probe
    neSystemDisk = 4, // the sampler said "wait" and then fell silent
};

enum TModalResult { mrOk = 1, mrCancel = 2, mrRetry = 4 };

enum TMessageCaption {
    mcDefault, // the platform's own caption
    mcEmpty,
};

class TEpsDialogs {
public:
    virtual ~TEpsDialogs() = default;
    // Modal; Retry is offered for neNoAnswer and neSystemDisk only.
    virtual TModalResult ShowConnectionFailure(NoEpsReason reason) = 0;
    // A modal warning box with an OK button.
    virtual void ShowWarning(std::string_view text, TMessageCaption caption) = 0;
    // The sampler has no room to keep a copy for undo: true when the user
    // wants the edit all the same. A front end that never edits need not
    // ask.
    virtual bool AskEditWithoutUndo() { return false; }
};
