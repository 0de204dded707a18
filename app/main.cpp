// The process entry of Tavimor.
#include <QTimer>

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
    if (const auto request = commandLine.Open) {
        QTimer::singleShot(0, &mainForm, [&mainForm, request] {
            mainForm.OpenWavesampleAt(request->Instrument, request->WaveSample);
        });
    }
    QApplication::exec();
}

} // namespace

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    const TCommandLine commandLine(QApplication::arguments().mid(1));
    if (commandLine.HelpWanted || !commandLine.Error.isEmpty()) {
        if (!commandLine.Error.isEmpty()) {
            std::fprintf(stderr, "tavimor: %s\n\n", qPrintable(commandLine.Error));
        }
        std::fputs(qPrintable(TCommandLine::Usage()), commandLine.HelpWanted ? stdout : stderr);
        return commandLine.HelpWanted ? 0 : 2;
    }
    try {
        Run(commandLine);
    } catch (const std::exception& error) {
        TApplication::ShowException(error);
    }
    return 0;
}
