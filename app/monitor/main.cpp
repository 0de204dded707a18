// tavimor-monitor: shows the debug trace that Tavimor sends when it is
// started with "/DW".
#include <QApplication>
#include <QMessageBox>

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "TavimorVersion.h"
#include "app/monitor/TraceMonitor.h"

int main(int argc, char** argv) {
    // Answered before the application exists, so that no display is needed.
    if (std::any_of(argv + 1, argv + argc,
                    [](std::string_view argument) { return argument == "--version"; })) {
        std::puts("tavimor-monitor " TAVIMOR_VERSION);
        return 0;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName("tavimor-monitor");
    TTraceMonitor monitor;
    if (!monitor.Listen()) {
        const QString text = QString("Cannot listen as %1: %2")
                                 .arg(TTraceMonitor::ServerName, monitor.ErrorString());
        std::fprintf(stderr, "tavimor-monitor: %s\n", qPrintable(text));
        // Started from a menu, as on Windows always, the program has no
        // terminal to say it in.
        QMessageBox::critical(nullptr, "Tavimor trace monitor", text);
        return 1;
    }
    monitor.show();
    return QApplication::exec();
}
