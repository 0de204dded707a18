#include "app/monitor/TraceMonitor.h"

#include <QFontDatabase>
#include <QLocalSocket>
#include <QScrollBar>

TTraceMonitor::TTraceMonitor(QWidget* parent) : QPlainTextEdit(parent) {
    setWindowTitle("Tavimor trace monitor");
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    resize(720, 480);
    connect(&Server, &QLocalServer::newConnection, this, &TTraceMonitor::Accept);
}

bool TTraceMonitor::Listen() {
    // A monitor that still runs answers, and then the name stays its own.
    // Asked first, since on Windows many servers may share a pipe's name.
    QLocalSocket probe;
    probe.connectToServer(ServerName);
    if (probe.waitForConnected(500)) {
        Failure = "another trace monitor is running";
        return false;
    }
    // One that ended without cleaning up leaves its socket file behind.
    QLocalServer::removeServer(ServerName);
    if (!Server.listen(ServerName)) {
        Failure = Server.errorString();
        return false;
    }
    return true;
}

void TTraceMonitor::Accept() {
    while (QLocalSocket* socket = Server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Read(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void TTraceMonitor::Read(QLocalSocket* socket) {
    Append(socket->readAll());
}

// The trace is 8-bit text with CR LF line ends.
void TTraceMonitor::Append(const QByteArray& bytes) {
    QScrollBar* bar = verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    moveCursor(QTextCursor::End);
    insertPlainText(QString::fromLatin1(bytes).remove('\r'));
    if (atEnd) {
        bar->setValue(bar->maximum());
    }
}
