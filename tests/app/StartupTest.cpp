// Start-up, settings and shutdown of the main window, against the built-in
// virtual sampler.
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <atomic>
#include <fstream>
#include <sstream>

#include "AppFixture.h"
#include "ModalScript.h"
#include "app/Application.h"
#include "emulator/VirtualEpsPeer.h"
#include "wave/WaveArea.h"
#include "wave/WaveBox.h"
#include "wave/WaveColours.h"

namespace {

// The settings file's text, read behind the program's back.
std::string FileText(const QString& path) {
    std::ifstream file(path.toStdString());
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

class TStartupTest : public QObject {
    Q_OBJECT

private slots:
    void init() { Fixture = std::make_unique<TAppFixture>(); }
    void cleanup() {
        Fixture->Stop();
        Fixture->Sampler->Sampler().SetLog({});
        Fixture.reset();
    }

    void FirstStartIsMaximizedWithDefaultsAndWelcomesOnce() {
        TModalScript script;
        bool preferencesAfterWelcome = false;
        script.Then<TGotoPrefForm>([](TGotoPrefForm* welcome) { welcome->Button1->click(); })
            .Then<TPreferencesForm>([&](TPreferencesForm* preferences) {
                preferencesAfterWelcome = !Fixture->Windows->GotoPrefForm->isVisible();
                preferences->CancelButton->click();
            });
        TMainForm& form = *Fixture->Start().MainForm;
        QVERIFY(form.isMaximized());
        QTRY_VERIFY_WITH_TIMEOUT(script.Finished(), 15000);
        QVERIFY2(script.Failure.isEmpty(), qPrintable(script.Failure));
        QVERIFY(preferencesAfterWelcome);

        QCOMPARE(form.normalGeometry(), QRect(128, 113, 661, 435));
        QCOMPARE(form.Eps->MidiIn->DeviceID, 0);
        QCOMPARE(form.Eps->MidiOut->DeviceID, 0);
        QCOMPARE(form.Eps->MidiOut->Channel(), 1);
        QCOMPARE(form.Eps->BlockSize(), 256);
        QCOMPARE(form.Eps->Delay(), 0);
        QVERIFY(form.UploadDownloadPath.isEmpty());
        QCOMPARE(form.VScale, 8);
        QVERIFY(form.ScaleMenuItems[0]->isChecked());
        QVERIFY(form.ScaleButtons[0]->isChecked());
        QCOMPARE(form.ScaleMenuItems[8]->shortcut(), QKeySequence("Ctrl+9"));

        // The second start shows no welcome.
        Fixture->Stop();
        TModalScript again;
        again.Then<TGotoPrefForm>([](TGotoPrefForm* welcome) { welcome->reject(); });
        Fixture->Start();
        QTest::qWait(300);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QVERIFY(!again.Finished());
    }

    void SavedValuesAreReadBackWithHexAndGarbage() {
        Fixture->Store({{"MainForm/Left", "40"},
                        {"MainForm/Top", "0x20"},
                        {"MainForm/Width", "700"},
                        {"MainForm/Height", "wide"},
                        {"MainForm/WindowState", "0"},
                        {"MainForm/WelcomeShown", "1"},
                        {"Preferences/MidiIn", "0X1"},
                        {"Preferences/MidiOut", "-1"},
                        {"Preferences/Channel", "0x0A"},
                        {"Preferences/BlockSize", "1024"},
                        {"Preferences/Delay", "12x"},
                        {"Preferences/UploadDownloadPath", "/home/user/waves"}});
        TMainForm& form = *Fixture->Start().MainForm;
        QVERIFY(!form.isMaximized() && !form.isMinimized());
        QCOMPARE(form.geometry(), QRect(40, 32, 700, 435));
        QCOMPARE(form.Eps->MidiIn->DeviceID, 1);
        QCOMPARE(form.Eps->MidiOut->DeviceID, -1);
        QCOMPARE(form.Eps->MidiOut->Channel(), 10);
        QCOMPARE(form.Eps->BlockSize(), 1024);
        QCOMPARE(form.Eps->Delay(), 0);
        QCOMPARE(form.UploadDownloadPath, QString("/home/user/waves"));

        Fixture->Stop();
        Fixture->Store({{"Preferences/Channel", "ten"}});
        QCOMPARE(Fixture->Start().MainForm->Eps->MidiOut->Channel(), 1);
    }

    // A damaged file costs the values it damages, never the start: Qt would
    // decode "@Variant(...)" into binary data and could ask for gigabytes.
    void DamagedSettingsGiveTheDefaults() {
        QDir().mkpath(QFileInfo(Fixture->SettingsFile()).path());
        std::ofstream(Fixture->SettingsFile().toStdString(), std::ios::binary | std::ios::trunc)
            << "[MainForm]\nWelcomeShown=1\n"
               "[Preferences]\nBlockSize=@Variant(\\0\\0\\0\\tx7f)\n"
               "Channel=@Variant(\\0\\0\\0\\n\\xff\\xff\\xff\\xf0)\n"
               "Delay=\"5\nUploadDownloadPath=@ByteArray(/waves)\n[broken\n=\n";
        TMainForm& form = *Fixture->Start().MainForm;
        QCOMPARE(form.Eps->BlockSize(), 256);
        QCOMPARE(form.Eps->MidiOut->Channel(), 1);
        QCOMPARE(form.Eps->Delay(), 5);
        QCOMPARE(form.UploadDownloadPath, QString("@ByteArray(/waves)"));
    }

    // What the program writes, Qt's own reader reads back the same, and the
    // other way round: files of either remain readable by both.
    void PathsSurviveTheFileBothWays_data() {
        QTest::addColumn<QString>("folder");
        QTest::newRow("separators") << "/home/user/My Samples; old, \"best\"=1";
        QTest::newRow("blanks around") << "  /waves  ";
        QTest::newRow("at sign") << "@home/waves";
        QTest::newRow("backslashes") << "c:\\samples\\";
        QTest::newRow("letters beyond ASCII")
            << QString::fromUtf8("/home/j\u00f6rg/\u30b5\u30f3\u30d7\u30eb");
    }

    void PathsSurviveTheFileBothWays() {
        QFETCH(QString, folder);
        Fixture->Store({{"MainForm/WelcomeShown", "1"}});
        Fixture->Start().MainForm->UploadDownloadPath = folder;
        Fixture->Stop();
        QCOMPARE(Fixture->Stored("Preferences/UploadDownloadPath").toString(), folder);

        Fixture->Store({{"Preferences/UploadDownloadPath", folder + "/qt"}});
        QCOMPARE(Fixture->Start().MainForm->UploadDownloadPath, folder + "/qt");
    }

    void ClosingNormalWindowSavesBoundsAndPreferences() {
        Fixture->Store({{"MainForm/WindowState", "0"},
                        {"MainForm/Left", "100"},
                        {"MainForm/Top", "90"},
                        {"MainForm/Width", "640"},
                        {"MainForm/Height", "480"},
                        {"MainForm/WelcomeShown", "1"}});
        TMainForm& form = *Fixture->Start().MainForm;
        form.Eps->MidiOut->SetChannel(7);
        form.Eps->SetBlockSize(2000);
        form.Eps->SetDelay(40);
        form.UploadDownloadPath = "c:\\waves";
        Fixture->Stop();
        QCOMPARE(Fixture->Stored("MainForm/WindowState").toString(), QString("0"));
        QCOMPARE(Fixture->Stored("MainForm/Left").toString(), QString("100"));
        QCOMPARE(Fixture->Stored("MainForm/Top").toString(), QString("90"));
        QCOMPARE(Fixture->Stored("MainForm/Width").toString(), QString("640"));
        QCOMPARE(Fixture->Stored("MainForm/Height").toString(), QString("480"));
        QCOMPARE(Fixture->Stored("Preferences/MidiIn").toString(), QString("0"));
        QCOMPARE(Fixture->Stored("Preferences/MidiInName").toString(), QString("Virtual EPS"));
        QCOMPARE(Fixture->Stored("Preferences/MidiOut").toString(), QString("0"));
        QCOMPARE(Fixture->Stored("Preferences/MidiOutName").toString(), QString("Virtual EPS"));
        QCOMPARE(Fixture->Stored("Preferences/Channel").toString(), QString("7"));
        QCOMPARE(Fixture->Stored("Preferences/BlockSize").toString(), QString("2000"));
        QCOMPARE(Fixture->Stored("Preferences/Delay").toString(), QString("40"));
        QCOMPARE(Fixture->Stored("Preferences/UploadDownloadPath").toString(),
                 QString("c:\\waves"));
    }

    // View > Ruler and View > Colours: the choices read back checked, each
    // item switches the wave area, and the other choice is kept at the
    // close. A value that names no choice gives the default.
    void LookChoicesAreKept_data() {
        QTest::addColumn<QString>("ruler");
        QTest::addColumn<QString>("colours");
        QTest::addColumn<bool>("time");
        QTest::addColumn<bool>("theme");
        QTest::newRow("none saved") << QString() << QString() << false << false;
        QTest::newRow("seconds, desktop colours") << "1"
                                                  << "1" << true << true;
        QTest::newRow("seconds, classic") << "1"
                                          << "0" << true << false;
        QTest::newRow("damaged") << "7"
                                 << "desktop" << false << false;
    }

    void LookChoicesAreKept() {
        QFETCH(QString, ruler);
        QFETCH(QString, colours);
        QFETCH(bool, time);
        QFETCH(bool, theme);
        Fixture->Store({{"MainForm/WelcomeShown", "1"}});
        if (!ruler.isNull()) {
            Fixture->Store({{"View/Ruler", ruler}, {"View/Colours", colours}});
        }
        TMainForm& form = *Fixture->Start().MainForm;
        QCOMPARE(form.RulerTimeMenuItem->isChecked(), time);
        QCOMPARE(form.RulerSamplesMenuItem->isChecked(), !time);
        QCOMPARE(form.ThemeColoursMenuItem->isChecked(), theme);
        QCOMPARE(form.ClassicColoursMenuItem->isChecked(), !theme);
        QCOMPARE(form.RulerUnit, time ? ruTime : ruSamples);
        QCOMPARE(form.Look, theme ? wlTheme : wlClassic);
        ExpectClosedGround(form);

        (time ? form.RulerSamplesMenuItem : form.RulerTimeMenuItem)->trigger();
        (theme ? form.ClassicColoursMenuItem : form.ThemeColoursMenuItem)->trigger();
        QCOMPARE(form.RulerUnit, time ? ruSamples : ruTime);
        QCOMPARE(form.Look, theme ? wlClassic : wlTheme);
        QCOMPARE(form.RulerTimeMenuItem->isChecked(), !time);
        ExpectClosedGround(form);
        Fixture->Stop();
        QCOMPARE(Fixture->Stored("View/Ruler").toString(), QString(time ? "0" : "1"));
        QCOMPARE(Fixture->Stored("View/Colours").toString(), QString(theme ? "0" : "1"));
    }

    // Saved devices are found by their names wherever their numbers moved;
    // one that is gone is named at the start and kept in the settings for
    // when it is back, and no other device takes its place.
    void SavedDevicesAreFoundByTheirNames() {
        Fixture->Store({{"MainForm/WelcomeShown", "1"},
                        {"Preferences/MidiIn", "5"},
                        {"Preferences/MidiInName", "Virtual EPS"},
                        {"Preferences/MidiOut", "0"},
                        {"Preferences/MidiOutName", "USB MIDI Interface"}});
        TModalScript script;
        QString warning;
        script.Then<QMessageBox>([&](QMessageBox* box) {
            warning = box->text();
            box->accept();
        });
        TMainForm& form = *Fixture->Start().MainForm;
        QVERIFY2(script.Finished(), qPrintable(script.Failure));
        QVERIFY2(warning.startsWith("The MIDI output device \"USB MIDI Interface\" is not "
                                    "connected."),
                 qPrintable(warning));
        QCOMPARE(form.Eps->MidiIn->DeviceID, 0);
        QCOMPARE(form.Eps->MidiOut->DeviceID, -1);
        Fixture->Stop();
        QCOMPARE(Fixture->Stored("Preferences/MidiIn").toString(), QString("0"));
        QCOMPARE(Fixture->Stored("Preferences/MidiOut").toString(), QString("0"));
        QCOMPARE(Fixture->Stored("Preferences/MidiOutName").toString(),
                 QString("USB MIDI Interface"));
    }

    void ClosingMaximizedKeepsTheNormalBounds() {
        Fixture->Store({{"MainForm/Left", "5"},
                        {"MainForm/Top", "6"},
                        {"MainForm/Width", "500"},
                        {"MainForm/Height", "400"},
                        {"MainForm/WelcomeShown", "1"}});
        TMainForm& form = *Fixture->Start().MainForm;
        QVERIFY(form.isMaximized());
        Fixture->Stop();
        QCOMPARE(Fixture->Stored("MainForm/WindowState").toString(), QString("2"));
        QCOMPARE(Fixture->Stored("MainForm/Left").toString(), QString("5"));
        QCOMPARE(Fixture->Stored("MainForm/Height").toString(), QString("400"));
    }

    void FloppyFoldersAreNotRemembered_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("saved");
        QTest::newRow("drive a") << "a:\\samples"
                                 << "/kept";
        QTest::newRow("drive B") << "B:\\"
                                 << "/kept";
        QTest::newRow("drive c") << "c:\\samples"
                                 << "c:\\samples";
        QTest::newRow("no drive") << "/home/user/waves"
                                  << "/home/user/waves";
        QTest::newRow("empty") << ""
                               << "";
    }

    void FloppyFoldersAreNotRemembered() {
        QFETCH(QString, folder);
        QFETCH(QString, saved);
        Fixture->Store(
            {{"MainForm/WelcomeShown", "1"}, {"Preferences/UploadDownloadPath", "/kept"}});
        Fixture->Start().MainForm->UploadDownloadPath = folder;
        Fixture->Stop();
        QCOMPARE(Fixture->Stored("Preferences/UploadDownloadPath").toString(), saved);
    }

    // The sampler hears the close while the settings are still unwritten.
    void ClosingClosesTheWavesampleBeforeWritingSettings() {
        Fixture->Store({{"MainForm/WelcomeShown", "1"}});
        const QString settings = Fixture->SettingsFile();
        std::atomic<bool> closed = false;
        std::atomic<bool> settingsWrittenBeforeClose = false;
        Fixture->Sampler->Sampler().SetLog([&](const std::string& line) {
            if (line.rfind("Close", 0) == 0) {
                closed = true;
                settingsWrittenBeforeClose =
                    FileText(settings).find("WindowState") != std::string::npos;
            }
        });
        TMainForm& form = *Fixture->Start().MainForm;
        QVERIFY(form.OpenWavesampleAt(0, 1));
        QVERIFY(!closed);
        Fixture->Stop();
        QVERIFY(closed);
        QVERIFY(!settingsWrittenBeforeClose);
        QCOMPARE(Fixture->Stored("MainForm/WindowState").toString(), QString("2"));
    }

    void ExitClosesTheWindowAndSavesSettings() {
        Fixture->Store({{"MainForm/WelcomeShown", "1"}});
        TMainForm& form = *Fixture->Start().MainForm;
        form.ExitMenuItem->trigger();
        QVERIFY(!form.isVisible());
        QCOMPARE(Fixture->Stored("Preferences/BlockSize").toString(), QString("256"));
    }

    // The hourglass is counted: only the last EndBusy takes it away, and a
    // surplus EndBusy does not go below nothing.
    void BusyIsCounted() {
        Fixture->Store({{"MainForm/WelcomeShown", "1"}});
        TMainForm& form = *Fixture->Start().MainForm;
        form.BeginBusy();
        form.BeginBusy();
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        form.EndBusy();
        QVERIFY(QApplication::overrideCursor() != nullptr);
        form.EndBusy();
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        form.EndBusy();
        QCOMPARE(form.BusyCount, 0);
        form.BeginBusy();
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        form.EndBusy();
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

private:
    // With nothing open the wave area shows the look's empty ground.
    static void ExpectClosedGround(TMainForm& form) {
        const QColor ground = TWaveColours::Of(form.Look).ClosedBackground;
        QCOMPARE(form.WaveBox->Picture().pixelColor(0, 0), ground);
        QCOMPARE(form.WaveScrollBox->palette().color(QPalette::Window), ground);
    }

    std::unique_ptr<TAppFixture> Fixture;
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    TStartupTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "StartupTest.moc"
