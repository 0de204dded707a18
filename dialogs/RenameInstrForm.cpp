#include "dialogs/RenameInstrForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>
#include <cstdint>

#include "eps/Names.h"
#include "eps/ParameterBlocks.h"

TRenameInstrForm::TRenameInstrForm(QWidget* parent) : TModalForm(parent) {
    setWindowTitle("Rename Instrument");
    setWindowFlag(Qt::Tool);
    NameEdit = new QLineEdit;
    NameEdit->setMaxLength(NameLength);
    NameEdit->setMinimumWidth(NameEdit->fontMetrics().horizontalAdvance(QString(NameLength, 'W')));
    OkButton = MakeResultButton("OK", mrOk);
    OkButton->setDefault(true);
    CancelButton = MakeResultButton("Cancel", mrCancel);
    SentLabel = MakeLineLabel();
    BlankedLabel = MakeLineLabel();
    connect(NameEdit, &QLineEdit::textChanged, this, &TRenameInstrForm::ShowWhatIsSent);

    auto* name = new QVBoxLayout;
    name->addWidget(NameEdit);
    name->addWidget(SentLabel);
    name->addWidget(BlankedLabel);
    name->addStretch(1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    auto* form = new QHBoxLayout(this);
    form->addLayout(name, 1);
    form->addLayout(buttons);
    form->setSizeConstraint(QLayout::SetFixedSize);
}

// The sampler shows upper case from a small set of characters; a name is not
// changed behind the user's back.
void TRenameInstrForm::ShowWhatIsSent(const QString& name) {
    std::array<std::int32_t, NameWords> words{};
    EncodeName(words, name.toLatin1().toStdString());
    QString sent;
    QString blanked;
    for (qsizetype i = 0; i < static_cast<qsizetype>(words.size()); ++i) {
        const QChar shown(words[static_cast<std::size_t>(i)] >> 8);
        sent += shown;
        if (i < name.size() && shown == ' ' && name[i] != ' ' && !blanked.contains(name[i])) {
            blanked += (blanked.isEmpty() ? "" : " ") + QString(name[i]);
        }
    }
    SentLabel->setText("Sent as: " + sent.trimmed());
    BlankedLabel->setText(blanked.isEmpty() ? QString()
                                            : "Shown as blanks on the sampler: " + blanked);
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
