#include "app/CommandLine.h"

#include <QTimer>

#include "app/MainForm.h"
#include "debug/DebugDevice.h"

namespace {

// A whole number within first..last, or nothing.
std::optional<int> NumberIn(const QString& text, int first, int last) {
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= first && value <= last ? std::optional<int>(value) : std::nullopt;
}

} // namespace

TCommandLine::TCommandLine(const QStringList& arguments) : FirstArgument(arguments.value(0)) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == "--help" || argument == "-h") {
            HelpWanted = true;
        } else if (argument == "--version") {
            VersionWanted = true;
        } else if (argument == "--open") {
            const auto instrument = NumberIn(arguments.value(i + 1), 1, 8);
            const auto waveSample = NumberIn(arguments.value(i + 2), 1, 127);
            if (!instrument || !waveSample) {
                Error = "--open needs an instrument 1..8 and a wavesample 1..127";
                return;
            }
            Open = TOpenRequest{*instrument - 1, *waveSample};
            i += 2;
        } else if (!argument.startsWith('-') && !IsDebugSwitch(i, argument)) {
            if (!UploadFile.isEmpty()) {
                Error = "only one FILE can be uploaded at a time";
                return;
            }
            UploadFile = argument;
        }
    }
}

// A trace switch counts as one in the first place only; anywhere else it is
// a file name.
bool TCommandLine::IsDebugSwitch(qsizetype index, const QString& argument) {
    return index == 0 && ParseDebugSwitch(argument.toStdString()) != dmNull;
}

void TCommandLine::StartRequests(TMainForm& mainForm) const {
    QTimer::singleShot(0, &mainForm, [&mainForm, open = Open, file = UploadFile] {
        if (open) {
            mainForm.OpenWavesampleAt(open->Instrument, open->WaveSample);
        }
        if (!file.isEmpty()) {
            mainForm.UploadFile(file);
        }
    });
}

QString TCommandLine::Usage() {
    // Where a trace goes when the program's own folder cannot be written:
    // the user's data folder.
#ifdef _WIN32
    const char* traceFolder = "%APPDATA%\\Tavimor";
#else
    const char* traceFolder = "~/.local/share/Tavimor";
#endif
    return QString("Usage: tavimor [/DF | /DW | /DS] [--open INST WS] [FILE]\n"
                   "Edits the wavesamples of an Ensoniq EPS, EPS-16 Plus or ASR sampler over MIDI\n"
                   "System Exclusive.\n"
                   "\n"
                   "  /DF             trace to Debug.txt beside the program, or in\n"
                   "                  %1 where the program's folder cannot\n"
                   "                  be written (first argument only)\n"
                   "  /DW             trace to the monitor window (tavimor-monitor)\n"
                   "  /DS             trace to the first serial port\n"
                   "  --open INST WS  open wavesample WS (1..127) of instrument INST (1..8)\n"
                   "                  at start-up, without the browser\n"
                   "  FILE            upload the sound file FILE (WAVE, AIFF, FLAC, Ogg, MP3...)\n"
                   "                  at start-up; the browser asks for the target wavesample\n"
                   "  --help          show this text\n"
                   "  --version       print the program's name and version\n")
        .arg(traceFolder);
}
