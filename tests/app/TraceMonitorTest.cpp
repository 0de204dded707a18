// The trace monitor shows what the program traces on the window medium.
#include <QTemporaryDir>
#include <QTest>

#include <optional>
#include <string>
#include <thread>

#include "app/monitor/TraceMonitor.h"
#include "debug/DebugDevice.h"

class TTraceMonitorTest : public QObject {
    Q_OBJECT

private slots:
    // The monitor's socket lies in a folder of this test's own.
    void initTestCase() { qputenv("TMPDIR", Folder.path().toLocal8Bit()); }

    // The program traces from a process of its own; here a thread stands in
    // for it, since on Windows a write to the monitor's pipe waits until the
    // monitor, in this thread, has read it.
    void ShowsTheTraceOfTheWindowMedium() {
        TTraceMonitor monitor;
        QVERIFY(monitor.Listen());
        std::optional<std::string> failure;
        std::jthread program([&failure] {
            failure = ConfigureDebugDevice("/dw");
            DebugWriteLn(DebugDevice, "## OPEN WS ##");
            TDebugDevice::Write("true ");
        });
        QTRY_VERIFY(monitor.toPlainText().contains("* Start of debug session *\n"));
        QTRY_VERIFY(monitor.toPlainText().contains("## OPEN WS ##\ntrue "));
        program.join();
        QVERIFY2(!failure.has_value(), failure.value_or("").c_str());
        QVERIFY(!monitor.toPlainText().contains('\r'));
        TDebugDevice::Close();

        // A second run of the program traces into the same window.
        program = std::jthread([&failure] { failure = ConfigureDebugDevice("/DW"); });
        QTRY_COMPARE(monitor.toPlainText().count("* Start of debug session *"), 2);
        program.join();
        QVERIFY(!failure.has_value());
        ConfigureDebugDevice({});
    }

    // A monitor that ended without cleaning up leaves its socket file; the
    // next one takes the name over. While one runs, the name is its own.
    void TakesOverAStaleNameButNotALiveOne() {
        {
            TTraceMonitor first;
            QVERIFY(first.Listen());
            TTraceMonitor second;
            QVERIFY(!second.Listen());
        }
        QFile stale(Folder.filePath(TTraceMonitor::ServerName));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        TTraceMonitor monitor;
        QVERIFY(monitor.Listen());
    }

private:
    QTemporaryDir Folder;
};

QTEST_MAIN(TTraceMonitorTest)

#include "TraceMonitorTest.moc"
