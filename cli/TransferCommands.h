// The commands that move sample data: one wavesample into a file, every
// wavesample of an instrument into a folder, a file into a wavesample (read
// back and compared when asked). They run the same workflows as the desktop
// program, with the command line as their front end.
#pragma once

#include "cli/CliArguments.h"
#include "cli/CliSession.h"

int DownloadCommand(TCliSession& session, const TCliArguments& arguments);
int BackupCommand(TCliSession& session, const TCliArguments& arguments);
int RestoreCommand(TCliSession& session, const TCliArguments& arguments);
int UploadCommand(TCliSession& session, const TCliArguments& arguments);
