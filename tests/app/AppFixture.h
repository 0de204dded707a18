// What the tests of the program's shell share: settings in a folder of their
// own for each test, and the program's windows created as the program
// creates them, on the built-in virtual sampler.
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QVariant>

#include <cstdint>
#include <map>
#include <memory>

#include "app/ProgramWindows.h"

class TVirtualEpsPeer;

class TAppFixture {
public:
    // Points the settings at an empty folder and registers the built-in
    // sampler, holding the demo bank.
    TAppFixture();

    // Writes values ("Section/Name") into the settings before the program
    // starts.
    void Store(const std::map<QString, QString>& values);
    // A value as the settings file holds it; null when it is not there.
    QVariant Stored(const QString& key) const;
    // The settings file's path.
    QString SettingsFile() const;

    // Creates the program's windows and shows the main window.
    TProgramWindows& Start(const QString& firstArgument = {});
    // Starts with the welcome shown before and opens the demo piano, its
    // first wavesample; null when it did not open.
    TMainForm* StartOnPiano();
    // Selects first..last as a drag over the wave would.
    static void Select(TMainForm& form, std::int32_t first, std::int32_t last);
    // Closes the main window as the user does (running its close handler)
    // and destroys the windows.
    void Stop();

    std::shared_ptr<TVirtualEpsPeer> Sampler;
    std::unique_ptr<TProgramWindows> Windows;

private:
    QTemporaryDir Folder;
};
