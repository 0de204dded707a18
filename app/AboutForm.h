// The about box: the program's name, icon and version line.
#pragma once

#include <QDialog>

class QLabel;

class TAboutForm : public QDialog {
    Q_OBJECT

public:
    explicit TAboutForm(QWidget* parent = nullptr);

    // "Version " and the program's version number.
    static QString VersionLine();

    QLabel* ProductLabel;
    QLabel* VersionLabel;
};
