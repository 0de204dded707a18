// One run of tavimor-cli: the engine with its ports set from the arguments
// or the saved settings, the front end the workflows and the engine report
// to, and the one-line reasons on the error stream.
#pragma once

#include <string>

#include "cli/CliArguments.h"
#include "cli/CliFrontEnd.h"
#include "cli/SavedSettings.h"
#include "eps/Eps.h"
#include "transfer/TransferFrontEnd.h"

enum TExitStatus { esSuccess = 0, esFailed = 1, esUsage = 2 };

class TCliSession {
public:
    TCliSession();
    TCliSession(const TCliSession&) = delete;
    TCliSession& operator=(const TCliSession&) = delete;

    // Ports, channel, block size and delay: from the arguments where given,
    // else from the saved settings where they exist, else the defaults.
    // False with the reason when a device named cannot be found.
    bool Configure(const TCliArguments& arguments, const TSavedSettings& settings,
                   std::string& error);

    // The connection check; false after telling why.
    bool Connect();
    // Tells the reason, with the sampler's own words if it had any; 1.
    int Fail(const std::string& reason);
    // Tells what is wrong with the command line; 2.
    static int UsageError(const std::string& reason);
    // The end of a workflow: its message on the right stream, and the exit
    // status; the front end's reason when it declined the transfer.
    int Finish(const TTransferReport& report);

    TEps& Eps() { return Engine; }
    TCliFrontEnd& FrontEnd() { return Front; }
    // Where the transfers' file dialogs would start; unused by the tool but
    // kept by the workflows.
    std::string UploadDownloadPath;

private:
    std::string ConnectionText() const;

    TCliFrontEnd Front;
    TEps Engine;
    // The names of saved devices that are not connected; empty when the
    // device was found or named on the command line.
    std::string MissingInput;
    std::string MissingOutput;
};
