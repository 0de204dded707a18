#include "ModalScript.h"

#include <QCursor>

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

// While the program waits for the sampler its pointer says so and it refuses
// the user's input, also in a dialog that is on screen; a script that acted
// then would start what no user can, a command inside a command.
bool TModalScript::ProgramBusy() {
    const QCursor* cursor = QApplication::overrideCursor();
    return cursor != nullptr &&
           (cursor->shape() == Qt::WaitCursor || cursor->shape() == Qt::BusyCursor);
}

void TModalScript::Poll() {
    if (Next == Steps.size() || !Failure.isEmpty()) {
        Timer.stop();
        return;
    }
    QWidget* form = QApplication::activeModalWidget();
    const bool previousGone = LastForm == nullptr || !LastForm->isVisible();
    if (!ProgramBusy() && previousGone && form != nullptr && form->isVisible() &&
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
        Failure = QString("no %1 appeared for step %2 (on screen: %3%4)")
                      .arg(Steps[Next].FormClass)
                      .arg(Next + 1)
                      .arg(form != nullptr ? form->metaObject()->className() : "no modal window")
                      .arg(previousGone ? "" : ", the previous step's window still open");
        if (form != nullptr) {
            form->close();
        }
    }
}
