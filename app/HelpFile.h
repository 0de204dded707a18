// The program's help: HTML pages shown in the user's web browser. A topic is asked for by its
// context number, as the dialogs' Help buttons do.
#pragma once

#include <QString>
#include <QUrl>

class THelpFile {
public:
    // The help topics that the program asks for by number.
    enum TContext { hcContents = 0, hcPreferences = 2, hcConnection = 3 };

    // The contents page; every topic lies in its folder. Program-wide, set
    // once at start-up.
    static void SetPath(const QString& contentsPage);
    static QString Path();

    // The contents page for the program in programFolder: in the folder
    // "help" beside it, as in the build tree, else in the documentation
    // folder of the installed layout. The first place when neither holds
    // it, so that the user is told where the help was looked for.
    static QString FindContents(const QString& programFolder);

    // The page and anchor of a topic; the contents page for a context the
    // help does not know.
    static QUrl TopicUrl(int context);

    // Both return false when no browser could be started, after telling
    // the user where the page is.
    static bool ShowContents();
    static bool ShowContext(int context);
};
