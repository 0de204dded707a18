#include "dialogs/RenameInstrForm.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TRenameInstrForm::TRenameInstrForm(QWidget* parent) : TModalForm(parent) {
    setWindowTitle("Rename Instrument");
    setWindowFlag(Qt::Tool);
    NameEdit = new QLineEdit;
    NameEdit->setMaxLength(NameLength);
    NameEdit->setMinimumWidth(NameEdit->fontMetrics().horizontalAdvance(QString(NameLength, 'W')));
    OkButton = MakeResultButton("OK", mrOk);
    OkButton->setDefault(true);
    CancelButton = MakeResultButton("Cancel", mrCancel);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    auto* form = new QHBoxLayout(this);
    form->addWidget(NameEdit, 1, Qt::AlignTop);
    form->addLayout(buttons);
    form->setSizeConstraint(QLayout::SetFixedSize);
}

TModalResult TRenameInstrForm::Execute(const QString& currentName) {
    NameEdit->setText(currentName);
    NameEdit->setFocus();
    NameEdit->selectAll();
    const TModalResult result = ShowModal();
    if (result == mrOk) {
        NewName = NameEdit->text();
    }
    return result;
}
