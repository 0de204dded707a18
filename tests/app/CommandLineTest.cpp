// The program's command line and the reading of numbers from the settings.
#include <QTest>

#include "AppFixture.h"
#include "app/CommandLine.h"
#include "app/MainForm.h"
#include "app/SettingsKey.h"

class TCommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void DebugSwitchIsTheFirstArgumentOnly() {
        const TCommandLine line({"/df", "--open", "1", "2"});
        QCOMPARE(line.FirstArgument, QString("/df"));
        QVERIFY(line.Error.isEmpty());
        QVERIFY(line.Open.has_value());
        QCOMPARE(line.Open->Instrument, 0);
        QCOMPARE(line.Open->WaveSample, 2);
        QVERIFY(!line.HelpWanted);
        QVERIFY(TCommandLine({}).FirstArgument.isEmpty());
    }

    void OpenNeedsNumbersInRange_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("instrument 0") << QStringList{"--open", "0", "1"};
        QTest::newRow("instrument 9") << QStringList{"--open", "9", "1"};
        QTest::newRow("wavesample 128") << QStringList{"--open", "8", "128"};
        QTest::newRow("missing wavesample") << QStringList{"--open", "1"};
        QTest::newRow("not a number") << QStringList{"--open", "one", "1"};
    }

    void OpenNeedsNumbersInRange() {
        QFETCH(QStringList, arguments);
        const TCommandLine line(arguments);
        QVERIFY(!line.Error.isEmpty());
        QVERIFY(!line.Open.has_value());
    }

    void FileToUpload_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("debugSwitch");
        QTest::newRow("alone") << QStringList{"/tmp/kick.wav"} << "/tmp/kick.wav"
                               << "/tmp/kick.wav";
        QTest::newRow("after a trace switch") << QStringList{"/DS", "/tmp/a.flac"} << "/tmp/a.flac"
                                              << "/DS";
        QTest::newRow("a trace switch only") << QStringList{"/dw"} << ""
                                             << "/dw";
        QTest::newRow("a switch's name later is a file")
            << QStringList{"--open", "1", "2", "/DF"} << "/DF"
            << "--open";
        QTest::newRow("none") << QStringList{"--open", "1", "2"} << ""
                              << "--open";
    }

    // The first argument is always offered to the trace, which takes only
    // its switches.
    void FileToUpload() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, file);
        QFETCH(QString, debugSwitch);
        const TCommandLine line(arguments);
        QVERIFY(line.Error.isEmpty());
        QCOMPARE(line.UploadFile, file);
        QCOMPARE(line.FirstArgument, debugSwitch);
    }

    void OneFileAtATime() {
        const TCommandLine line({"a.wav", "b.wav"});
        QVERIFY(!line.Error.isEmpty());
    }

    void HelpAndVersionAreOffered() {
        QVERIFY(TCommandLine({"--help"}).HelpWanted);
        QVERIFY(TCommandLine({"/DW", "-h"}).HelpWanted);
        QVERIFY(TCommandLine({"/DF", "--version"}).VersionWanted);
        QVERIFY(!TCommandLine({"--help"}).VersionWanted);
        QVERIFY(TCommandLine::Usage().contains("--open INST WS] [FILE]"));
        QVERIFY(TCommandLine::Usage().contains("--version"));
    }

    void SettingsNumbers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("decimal") << "256" << 256;
        QTest::newRow("negative") << "-1" << -1;
        QTest::newRow("hex") << "0x0A" << 10;
        QTest::newRow("hex capital X") << "0XfF" << 255;
        QTest::newRow("blanks around") << " 12 " << 12;
        QTest::newRow("prefix only") << "0x" << 77;
        QTest::newRow("hex without prefix") << "0A" << 77;
        QTest::newRow("trailing garbage") << "12x" << 77;
        QTest::newRow("empty") << "" << 77;
        QTest::newRow("beyond 32 bits") << "4294967296" << 77;
        QTest::newRow("hex beyond 32 bits") << "0x100000000" << 77;
    }

    // A value that is no 32-bit number gives the default (77 here).
    void SettingsNumbers() {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(TSettingsKey::ParseInteger(text, 77), value);
    }

    // Opened from the command line, without the browser, the wavesample is
    // named in the title with its instrument all the same.
    void OpenNamesTheInstrumentInTheTitle() {
        TAppFixture fixture;
        fixture.Store({{"MainForm/WelcomeShown", "1"}});
        TMainForm& form = *fixture.Start().MainForm;
        TCommandLine({"--open", "2", "1"}).StartRequests(form);
        QTRY_VERIFY(form.Eps->WaveSampleOpen);
        QCOMPARE(form.windowTitle(), QString("Kick \u2014 Drum Kit \u2014 Tavimor"));
        fixture.Stop();
    }
};

QTEST_MAIN(TCommandLineTest)

#include "CommandLineTest.moc"
