#include "app/HelpFile.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

namespace {

QString ContentsPage;

// Each topic page marks its place with the anchor "context-N".
struct TTopic {
    int Context;
    const char* Page;
};
constexpr TTopic Topics[] = {
    {THelpFile::hcPreferences, "preferences.html"},
    {THelpFile::hcConnection, "connection.html"},
};

} // namespace

void THelpFile::SetPath(const QString& contentsPage) {
    ContentsPage = contentsPage;
}

QString THelpFile::Path() {
    return ContentsPage;
}

QString THelpFile::FindContents(const QString& programFolder) {
    const QDir folder(programFolder);
    const QString places[] = {
        folder.filePath("help/index.html"),
        QDir::cleanPath(folder.filePath(TAVIMOR_HELPDIR_FROM_BINDIR "/index.html")),
    };
    for (const QString& page : places) {
        if (QFileInfo::exists(page)) {
            return page;
        }
    }
    return places[0];
}

QUrl THelpFile::TopicUrl(int context) {
    for (const TTopic& topic : Topics) {
        if (topic.Context == context) {
            QUrl url = QUrl::fromLocalFile(QFileInfo(ContentsPage).dir().filePath(topic.Page));
            url.setFragment(QString("context-%1").arg(context));
            return url;
        }
    }
    return QUrl::fromLocalFile(ContentsPage);
}

bool THelpFile::ShowContents() {
    return ShowContext(hcContents);
}

// Without a browser the user at least learns where the help is.
bool THelpFile::ShowContext(int context) {
    const QUrl page = TopicUrl(context);
    if (QDesktopServices::openUrl(page)) {
        return true;
    }
    QMessageBox::information(QApplication::activeWindow(), "Help",
                             "No web browser could be started to show the help.\n\nOpen this "
                             "file in a web browser:\n" +
                                 QDir::toNativeSeparators(page.toLocalFile()));
    return false;
}
