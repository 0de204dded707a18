#include "transfer/ui/StatusForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include "dialogs/WindowPlacement.h"

namespace {

constexpr int ClientWidth = 441;
constexpr int ClientHeight = 123;
// The step line's margins beside and below it.
constexpr int StepMargin = 12;

// Truncated toward zero, and kept inside the int range so that an estimate
// gone wild (a stalled transfer) cannot overflow the conversion.
int WholePart(long double value) {
    constexpr long double Lowest = std::numeric_limits<int>::min();
    constexpr long double Highest = std::numeric_limits<int>::max();
    if (std::isnan(value)) {
        return 0;
    }
    return static_cast<int>(std::trunc(std::clamp(value, Lowest, Highest)));
}

QString TimeLeftText(float secondsLeft) {
    const int minutes = WholePart(static_cast<long double>(secondsLeft) * (1.0L / 60.0L));
    const int seconds = WholePart(secondsLeft) % 60;
    if (minutes == 0) {
        return QString("Time left : %1 sec").arg(seconds);
    }
    return QString("Time left : %1:%2").arg(minutes).arg(seconds, 2, 10, QChar('0'));
}

// The job the window's caption says is running: "A restore" for
// "Restoring...".
QString RunningJob(const QString& caption) {
    static const std::pair<const char*, const char*> Jobs[] = {{"Downloading", "A download"},
                                                               {"Uploading", "An upload"},
                                                               {"Verifying", "A verification"},
                                                               {"Backing up", "A backup"},
                                                               {"Restoring", "A restore"}};
    for (const auto& [doing, job] : Jobs) {
        if (caption.startsWith(doing)) {
            return job;
        }
    }
    return "A transfer";
}

} // namespace

TStatusForm::TStatusForm(QWidget* mainWindow) : QDialog(mainWindow), MainWindow(mainWindow) {
    setWindowTitle("Status");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    StepLabel = new QLabel(this);
    StepLabel->setAlignment(Qt::AlignCenter);
    // A long line (what an upload makes of its file) takes a second row.
    StepLabel->setWordWrap(true);
    TimeLabel = new QLabel("Time left : ???", this);
    TimeLabel->setAlignment(Qt::AlignCenter);
    ProgressBar = new QProgressBar(this);
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    CancelButton = new QPushButton("Cancel", this);
    Arrange(false);
    // Enter presses it as well as Esc.
    CancelButton->setDefault(true);
    connect(CancelButton, &QPushButton::clicked, this, &TStatusForm::CancelButtonClick);
    CloseQuestion = new QMessageBox(QMessageBox::Question, QApplication::applicationDisplayName(),
                                    QString(), QMessageBox::Yes | QMessageBox::No, this);
    CloseQuestion->setWindowModality(Qt::NonModal);
    // Neither answer is a plain yes or no: no tick, no cross.
    CloseQuestion->button(QMessageBox::Yes)->setText("Cancel and Close");
    CloseQuestion->button(QMessageBox::Yes)->setIcon(QIcon());
    CloseQuestion->button(QMessageBox::No)->setText("Continue");
    CloseQuestion->button(QMessageBox::No)->setIcon(QIcon());
    CloseQuestion->setDefaultButton(QMessageBox::No);
    connect(CloseQuestion, &QMessageBox::buttonClicked, this, &TStatusForm::CloseQuestionAnswered);
    if (MainWindow != nullptr) {
        MainWindow->installEventFilter(this);
    }
}

// A job's step line pushes the rest down.
void TStatusForm::Arrange(bool withStep) {
    const int stepWidth = ClientWidth - 2 * StepMargin;
    const int stepHeight = StepLabel->heightForWidth(stepWidth);
    const int top = withStep ? stepHeight + StepMargin / 2 : 0;
    StepLabel->setVisible(withStep);
    StepLabel->setGeometry(StepMargin, StepMargin, stepWidth, stepHeight);
    TimeLabel->setGeometry(0, top + 16, ClientWidth, 17);
    ProgressBar->setGeometry(16, top + 44, ClientWidth - 32, 20);
    CancelButton->setGeometry((ClientWidth - 75) / 2, top + 84, 75, 25);
    setFixedSize(ClientWidth, ClientHeight + top);
}

void TStatusForm::BeginTransfer(const std::string& caption) {
    Arrange(false);
    setWindowTitle(QString::fromStdString(caption));
    CancelRequested = false;
    MainWindowClose = false;
    ProgressBar->setValue(0);
    EnableMainWindowParts(false);
    show();
    raise();
    activateWindow();
}

void TStatusForm::ShowProgress(float secondsLeft, float percent) {
    TimeLabel->setText(TimeLeftText(secondsLeft));
    ProgressBar->setValue(WholePart(percent));
}

void TStatusForm::ShowStep(const std::string& text) {
    const int shownHeight = StepLabel->height();
    StepLabel->setText(QString::fromStdString(text));
    if (StepLabel->isHidden() || StepLabel->heightForWidth(StepLabel->width()) != shownHeight) {
        Arrange(true);
    }
}

void TStatusForm::ShowStall(int seconds) {
    TimeLabel->setText(QString("Waiting for the sampler\u2026 %1 s").arg(seconds));
}

void TStatusForm::EndTransfer() {
    CloseQuestion->hide();
    hide();
    EnableMainWindowParts(true);
}

void TStatusForm::EnableMainWindowParts(bool enable) {
    if (enable) {
        for (const QPointer<QWidget>& part : DisabledParts) {
            if (part) {
                part->setEnabled(true);
            }
        }
        DisabledParts.clear();
        return;
    }
    if (MainWindow == nullptr) {
        return;
    }
    for (QWidget* part : MainWindow->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!part->isWindow() && part->isEnabled()) {
            part->setEnabled(false);
            DisabledParts.append(part);
        }
    }
}

bool TStatusForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched != MainWindow || event->type() != QEvent::Close || !isVisible()) {
        return false;
    }
    event->ignore();
    CloseQuestion->setText(RunningJob(windowTitle()) + " is running. Cancel it and close?");
    CloseQuestion->show();
    CloseQuestion->raise();
    return true;
}

void TStatusForm::CloseQuestionAnswered(QAbstractButton* button) {
    if (button == CloseQuestion->button(QMessageBox::Yes)) {
        MainWindowClose = true;
        CancelButtonClick();
    }
}

void TStatusForm::ProcessEvents() {
    QCoreApplication::processEvents();
}

void TStatusForm::CancelButtonClick() {
    CancelRequested = true;
}

void TStatusForm::closeEvent(QCloseEvent* event) {
    event->ignore();
    CancelRequested = true;
}

void TStatusForm::reject() {
    CancelButton->click();
}

void TStatusForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    TWindowPlacement::CentreOver(*this, MainWindow);
}
