// tavimor-cli: the sampler's wavesamples from scripts. It parses the command
// line, sets up the engine as the desktop program would and runs one
// command.
#include <iostream>

#include "TavimorVersion.h"
#include "cli/CliArguments.h"
#include "cli/CliSession.h"
#include "cli/EditCommands.h"
#include "cli/InfoCommands.h"
#include "cli/TraceFile.h"
#include "cli/TransferCommands.h"
#include "emulator/VirtualEpsPeer.h"
#include "midi/MidiError.h"
#include "platform/Utf8.h"

namespace {

int Run(TCliSession& session, const TCliArguments& arguments) {
    switch (arguments.Command) {
    case TCliCommandKind::Devices:
        return ListDevices();
    case TCliCommandKind::Probe:
        return Probe(session);
    case TCliCommandKind::List:
        return ListInstruments(session, arguments.Json);
    case TCliCommandKind::Params:
        return ShowParameters(session, arguments);
    case TCliCommandKind::Download:
        return DownloadCommand(session, arguments);
    case TCliCommandKind::Backup:
        return BackupCommand(session, arguments);
    case TCliCommandKind::Restore:
        return RestoreCommand(session, arguments);
    case TCliCommandKind::Upload:
        return UploadCommand(session, arguments);
    case TCliCommandKind::Rename:
        return RenameCommand(session, arguments);
    case TCliCommandKind::Edit:
        return EditCommand(session, arguments);
    }
    return esUsage;
}

} // namespace

int main(int argc, char** argv) {
    TUtf8::UseConsole();
    std::string error;
    const std::optional<TCliArguments> arguments =
        TCliArguments::Parse(TUtf8::Arguments(argc, argv), error);
    if (!arguments) {
        return TCliSession::UsageError(error);
    }
    if (arguments->Help) {
        std::cout << TCliArguments::Usage();
        return esSuccess;
    }
    if (arguments->Version) {
        std::cout << "tavimor-cli " TAVIMOR_VERSION "\n";
        return esSuccess;
    }
    // First, as in the desktop program, so that the built-in sampler is
    // device 0 and saved device numbers mean the same devices here.
    RegisterBuiltInSampler();
    TTraceFile trace;
    if (!arguments->TraceFile.empty() && !trace.Open(arguments->TraceFile, error)) {
        std::cerr << "tavimor-cli: " << error << std::endl;
        return esFailed;
    }
    try {
        TCliSession session;
        if (!session.Configure(*arguments, TSavedSettings::Load(), error)) {
            return TCliSession::UsageError(error);
        }
        return Run(session, *arguments);
    } catch (const EMidiError& failure) {
        std::cerr << "tavimor-cli: " << failure.what() << std::endl;
        return esFailed;
    }
}
