#include "AppFixture.h"

#include <QTest>

#include "app/SettingsKey.h"
#include "emulator/DemoBank.h"
#include "emulator/VirtualEpsPeer.h"

TAppFixture::TAppFixture() : Sampler(RegisterBuiltInSampler()) {
    // The programs' configuration folder on either system.
    qputenv("XDG_CONFIG_HOME", Folder.path().toUtf8());
    qputenv("APPDATA", Folder.path().toUtf8());
    // What an earlier test changed in the sampler is undone.
    Sampler->Sampler().Inspect([](TSamplerModel& memory) { TDemoBank::Load(memory); });
}

QString TAppFixture::SettingsFile() const {
    return Folder.filePath("Tavimor/Tavimor.ini");
}

// Through the program's own key: Qt's INI format would fold the names to
// lower case on Windows.
void TAppFixture::Store(const std::map<QString, QString>& values) {
    TSettingsKey file;
    for (const auto& [key, value] : values) {
        file.WriteString(key.section('/', 0, 0), key.section('/', 1), value);
    }
}

QVariant TAppFixture::Stored(const QString& key) const {
    return TSettingsKey().ReadString(key.section('/', 0, 0), key.section('/', 1), {});
}

TProgramWindows& TAppFixture::Start(const QString& firstArgument) {
    Windows = std::make_unique<TProgramWindows>(firstArgument);
    Windows->MainForm->show();
    QTest::qWait(0);
    return *Windows;
}

TMainForm* TAppFixture::StartOnPiano() {
    Store({{"MainForm/WelcomeShown", "1"}});
    TMainForm* form = Start().MainForm.get();
    return form->OpenWavesampleAt(0, 1) ? form : nullptr;
}

void TAppFixture::Select(TMainForm& form, std::int32_t first, std::int32_t last) {
    form.SelStart = first;
    form.SelEnd = last;
    form.HasSelection = true;
    form.UpdateCommands();
}

void TAppFixture::Stop() {
    if (Windows) {
        Windows->MainForm->close();
        Windows.reset();
    }
}
