#include "dialogs/DestructiveQuestion.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>

bool AskDestructive(QWidget* parent, const QString& text, const QString& action) {
    QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    QAbstractButton* yes = box.button(QMessageBox::Yes);
    yes->setText(action);
    yes->setIcon(QIcon());
    box.button(QMessageBox::No)->setText("Cancel");
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}
