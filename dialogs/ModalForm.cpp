#include "dialogs/ModalForm.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/WindowPlacement.h"

namespace {
constexpr int IconSize = 32;
// Beside the title: the window's icon and its buttons, with some room.
constexpr int TitleBarRoom = 140;
} // namespace

TModalForm::TModalForm(QWidget* parent) : QDialog(parent) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);
}

TModalResult TModalForm::ShowModal() {
    MakeRoomForTitle();
    const int result = exec();
    return result == QDialog::Rejected ? mrCancel : static_cast<TModalResult>(result);
}

void TModalForm::MakeRoomForTitle() {
    auto* form = qobject_cast<QVBoxLayout*>(layout());
    if (form == nullptr || form->sizeConstraint() != QLayout::SetFixedSize) {
        return;
    }
    QFont titleFont = font();
    titleFont.setBold(true);
    form->addStrut(QFontMetrics(titleFont).horizontalAdvance(windowTitle()) + TitleBarRoom);
}

void TModalForm::CloseWith(TModalResult result) {
    done(result);
}

void TModalForm::CloseForPreferences(TModalResult result) {
    QMetaObject::invokeMethod(this, &TModalForm::PreferencesRequested, Qt::QueuedConnection);
    CloseWith(result);
}

// A window manager may maximize the main window only after a dialog of the
// first start has come up: the dialog follows.
void TModalForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOverOwner();
    if (QWidget* owner = Owner()) {
        owner->installEventFilter(this);
    }
}

void TModalForm::hideEvent(QHideEvent* event) {
    if (QWidget* owner = Owner()) {
        owner->removeEventFilter(this);
    }
    QDialog::hideEvent(event);
}

bool TModalForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Owner() && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        CentreOverOwner();
    }
    return QDialog::eventFilter(watched, event);
}

QWidget* TModalForm::Owner() const {
    return parentWidget() != nullptr ? parentWidget()->window() : nullptr;
}

void TModalForm::CentreOverOwner() {
    TWindowPlacement::CentreOver(*this, Owner());
}

QLabel* TModalForm::MakeIconLabel(QStyle::StandardPixmap picture) {
    auto* label = new QLabel(this);
    label->setPixmap(style()->standardIcon(picture).pixmap(IconSize, IconSize));
    label->setFixedSize(IconSize, IconSize);
    return label;
}

QLabel* TModalForm::MakeBoldLabel(const QString& text) {
    QLabel* label = MakeLineLabel(text);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QLabel* TModalForm::MakeLineLabel(const QString& text) {
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setMinimumHeight(label->fontMetrics().height());
    return label;
}

QPushButton* TModalForm::MakeResultButton(const QString& caption, TModalResult result) {
    auto* button = new QPushButton(caption);
    if (result == mrCancel) {
        connect(button, &QPushButton::clicked, this, &QDialog::reject);
    } else {
        connect(button, &QPushButton::clicked, this, [this, result] { CloseWith(result); });
    }
    return button;
}

QVBoxLayout* TModalForm::MakeButtonColumn(std::initializer_list<QPushButton*> buttons) {
    auto* column = new QVBoxLayout;
    for (QPushButton* button : buttons) {
        column->addWidget(button);
    }
    column->addStretch(1);
    return column;
}

void TModalForm::LayOutNotice(QStyle::StandardPixmap picture,
                              std::initializer_list<QLabel*> headings,
                              std::initializer_list<QLabel*> lines,
                              std::initializer_list<QPushButton*> buttons) {
    auto* headingColumn = new QVBoxLayout;
    for (QLabel* heading : headings) {
        headingColumn->addWidget(heading);
    }
    auto* top = new QHBoxLayout;
    top->addWidget(MakeIconLabel(picture), 0, Qt::AlignTop);
    top->addSpacing(8);
    top->addLayout(headingColumn, 1);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    for (QPushButton* button : buttons) {
        buttonRow->addWidget(button);
    }
    auto* form = new QVBoxLayout(this);
    form->addLayout(top);
    form->addSpacing(6);
    for (QLabel* line : lines) {
        form->addWidget(line);
    }
    form->addSpacing(6);
    form->addLayout(buttonRow);
    form->setSizeConstraint(QLayout::SetFixedSize);
}
