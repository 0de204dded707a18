#include "AppFixture.h"

#include <QSettings>
#include <QTest>

#include "emulator/DemoBank.h"
#include "emulator/VirtualEpsPeer.h"

TAppFixture::TAppFixture() : Sampler(RegisterBuiltInSampler()) {
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, Folder.path());
    // What an earlier test changed in the sampler is undone.
    Sampler->Sampler().Inspect([](TSamplerModel& memory) { TDemoBank::Load(memory); });
}

QString TAppFixture::SettingsFile() const {
    return Folder.filePath("Tavimor/Tavimor.ini");
}

void TAppFixture::Store(const std::map<QString, QString>& values) {
    QSettings file(SettingsFile(), QSettings::IniFormat);
    for (const auto& [key, value] : values) {
        file.setValue(key, value);
    }
}

QVariant TAppFixture::Stored(const QString& key) const {
    return QSettings(SettingsFile(), QSettings::IniFormat).value(key);
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
