// What the program's command line asks for. The first argument may choose the
// medium of the debug trace ("/DF", "/DW", "/DS"); "--open INST WS" opens a
// wavesample once the program has started, as File > Open Wavesample does
// when the user picks it in the browser; a file name uploads that file, as
// File > Upload does once the file dialog has been answered (a desktop's
// "Open With" starts the program so); "--help" asks for the usage text,
// "--version" for the program's name and version.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

struct TOpenRequest {
    int Instrument = 0; // 0..7, shown to the user as 1..8
    int WaveSample = 1; // 1..127
};

class TMainForm;

class TCommandLine {
public:
    // arguments: without the program's own name.
    explicit TCommandLine(const QStringList& arguments);

    QString FirstArgument;
    std::optional<TOpenRequest> Open;
    // The sound file to upload; empty for none.
    QString UploadFile;
    bool HelpWanted = false;
    bool VersionWanted = false;
    // Empty when the command line is usable.
    QString Error;

    // Has the started program do what the command line asks, once its event
    // loop runs: the wavesample opens first, then the upload begins.
    void StartRequests(TMainForm& mainForm) const;

    static QString Usage();

private:
    static bool IsDebugSwitch(qsizetype index, const QString& argument);
};
