// The process entry of Tavimor.
#include <cstdio>

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/ProgramWindows.h"
#include "emulator/VirtualEpsPeer.h"

namespace {

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
    // Before QApplication, which needs a display: the usage text is wanted
    // where there is none too, as when the manual page is made from it.
    if (TCommandLine(RawArguments(argc, argv)).HelpWanted) {
        std::fputs(qPrintable(TCommandLine::Usage()), stdout);
        return 0;
    }
    TApplication application(argc, argv);
    const TCommandLine commandLine(QApplication::arguments().mid(1));
    if (!commandLine.Error.isEmpty()) {
        std::fprintf(stderr, "tavimor: %s\n\n%s", qPrintable(commandLine.Error),
                     qPrintable(TCommandLine::Usage()));
        return 2;
    }
    try {
        Run(commandLine);
    } catch (const std::exception& error) {
        TApplication::ShowException(error);
    }
    return 0;
}
