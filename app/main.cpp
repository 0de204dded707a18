// The process entry of Tavimor.
#include <cstdio>
#include <optional>

#include "TavimorVersion.h"
#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/ProgramWindows.h"
#include "emulator/VirtualEpsPeer.h"

namespace {

// Answers what the command line asks of the terminal alone (the version, the
// usage text, a mistake) and tells the exit status; nothing when the program
// is to start. Before the application exists, so that no display is needed.
std::optional<int> AnswerOnTerminal(const TCommandLine& commandLine) {
    if (commandLine.VersionWanted) {
        std::puts("tavimor " TAVIMOR_VERSION);
        return 0;
    }
    if (!commandLine.HelpWanted && commandLine.Error.isEmpty()) {
        return std::nullopt;
    }
    if (!commandLine.Error.isEmpty()) {
        std::fprintf(stderr, "tavimor: %s\n\n", qPrintable(commandLine.Error));
    }
    std::fputs(qPrintable(TCommandLine::Usage()), commandLine.HelpWanted ? stdout : stderr);
    return commandLine.HelpWanted ? 0 : 2;
}

void Run(const TCommandLine& commandLine) {
    // Before anything lists the devices, so that the default devices 0 and 0
    // reach the built-in sampler until the user picks an interface.
    RegisterBuiltInSampler();
    TProgramWindows windows(commandLine.FirstArgument);
    TMainForm& mainForm = *windows.MainForm;
    mainForm.show();
    commandLine.StartRequests(mainForm);
    QApplication::exec();
}

// The arguments as they stand before QApplication takes its own from them.
QStringList RawArguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return arguments;
}

} // namespace

int main(int argc, char** argv) {
    // Before QApplication, which needs a display: the version and the usage
    // text are wanted where there is none too, as when the manual page is
    // made from them.
    if (const TCommandLine raw(RawArguments(argc, argv)); raw.HelpWanted || raw.VersionWanted) {
        return AnswerOnTerminal(raw).value_or(0);
    }
    TApplication application(argc, argv);
    // Read again without the options Qt took for itself, so that the debug
    // switch is the first of the program's own arguments and an option's
    // value is not taken for a file.
    const TCommandLine commandLine(QApplication::arguments().mid(1));
    if (const std::optional<int> status = AnswerOnTerminal(commandLine)) {
        return *status;
    }
    try {
        Run(commandLine);
    } catch (const std::exception& error) {
        TApplication::ShowException(error);
    }
    return 0;
}
