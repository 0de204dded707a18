#include "ModalScript.h"

namespace {
constexpr int PollInterval = 10;
// Ten seconds for each step.
constexpr int PollLimit = 1000;
} // namespace

TModalScript::TModalScript() {
    Timer.setInterval(PollInterval);
    connect(&Timer, &QTimer::timeout, this, &TModalScript::Poll);
    Timer.start();
}

TModalScript::~TModalScript() = default;

void TModalScript::Poll() {
    if (Next == Steps.size() || !Failure.isEmpty()) {
        Timer.stop();
        return;
    }
    QWidget* form = QApplication::activeModalWidget();
    const bool previousGone = LastForm == nullptr || !LastForm->isVisible();
    if (previousGone && form != nullptr && form->isVisible() &&
        form->inherits(Steps[Next].FormClass)) {
        LastForm = form;
        Polls = 0;
        Steps[Next++].Act(form);
        // A dialog shown once for each step may come back as the next one.
        if (!form->isVisible()) {
            LastForm = nullptr;
        }
        return;
    }
    if (++Polls > PollLimit) {
        Failure = QString("no %1 appeared for step %2").arg(Steps[Next].FormClass).arg(Next + 1);
        if (form != nullptr) {
            form->close();
        }
    }
}
