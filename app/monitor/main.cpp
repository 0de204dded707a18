// tavimor-monitor: shows the debug trace that Tavimor sends when it is
// started with "/DW".
#include <QApplication>

#include <cstdio>

#include "app/monitor/TraceMonitor.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("tavimor-monitor");
    TTraceMonitor monitor;
    if (!monitor.Listen()) {
        std::fprintf(stderr, "tavimor-monitor: cannot listen as %s: %s\n",
                     TTraceMonitor::ServerName, qPrintable(monitor.ErrorString()));
        return 1;
    }
    monitor.show();
    return QApplication::exec();
}
