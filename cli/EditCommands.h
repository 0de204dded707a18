// The commands that change the sampler's memory in place: an instrument's
// name, and the edits of the Edit menu on a range of a wavesample.
#pragma once

#include "cli/CliArguments.h"
#include "cli/CliSession.h"

int RenameCommand(TCliSession& session, const TCliArguments& arguments);
// Opens the wavesample for editing, sends the edit exactly as the Edit menu
// does for the selection FIRST..LAST, waits for the sampler and closes the
// wavesample again.
int EditCommand(TCliSession& session, const TCliArguments& arguments);
