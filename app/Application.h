// The application object. Qt must not be unwound by an exception, so an
// exception that escapes an event handler (a hard MIDI failure, which nothing
// in the program catches) ends at this object: it is shown in a message box
// and the program goes on, with the operation in progress abandoned.
#pragma once

#include <QApplication>

#include <exception>
#include <string>

class TApplication : public QApplication {
    Q_OBJECT

public:
    // Also gives the application its name, title, version, icon and help
    // file.
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // The application's standard message box for an exception.
    static void ShowException(const std::exception& error);
    static void ShowException(const std::string& message);
};
