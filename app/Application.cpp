#include "app/Application.h"

#include <QMessageBox>

#include "TavimorVersion.h"
#include "app/HelpFile.h"
#include "app/ProgramIcon.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName("Tavimor");
    setApplicationDisplayName("Tavimor");
    setApplicationVersion(TAVIMOR_VERSION);
    setWindowIcon(ProgramIcon());
    THelpFile::SetPath(THelpFile::FindContents(applicationDirPath()));
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowException(error);
        return false;
    }
}

void TApplication::ShowException(const std::exception& error) {
    ShowException(std::string(error.what()));
}

void TApplication::ShowException(const std::string& message) {
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationDisplayName(),
                          QString::fromStdString(message));
}
