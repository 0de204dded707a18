// The monitor window of the debug trace: it listens on the local socket
// "Pellomir.Ole", where Tavimor started with "/DW" sends its trace, and shows
// the text as it comes, one connection after the other.
#pragma once

#include <QLocalServer>
#include <QPlainTextEdit>

class QLocalSocket;

class TTraceMonitor : public QPlainTextEdit {
    Q_OBJECT

public:
    static constexpr const char* ServerName = "Pellomir.Ole";

    explicit TTraceMonitor(QWidget* parent = nullptr);

    // False, with the reason in ErrorString, when another monitor listens
    // already or the name cannot be taken.
    bool Listen();
    QString ErrorString() const { return Failure; }

private:
    void Accept();
    void Read(QLocalSocket* socket);
    void Append(const QByteArray& bytes);

    QLocalServer Server;
    QString Failure;
};
