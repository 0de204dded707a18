#include "ModalDriver.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace {

constexpr int PollMilliseconds = 5;
constexpr int PatienceMilliseconds = 10000;
bool Missed = false;

} // namespace

void WhenModal(QWidget* window, std::function<void()> action) {
    auto* timer = new QTimer;
    auto waited = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout,
                     [timer, waited, target = QPointer(window), action = std::move(action)] {
                         QWidget* top = QApplication::activePopupWidget();
                         if (top == nullptr) {
                             top = QApplication::activeModalWidget();
                         }
                         if (target && top == target && target->isVisible()) {
                             timer->deleteLater();
                             timer->stop();
                             action();
                             return;
                         }
                         *waited += PollMilliseconds;
                         if (*waited >= PatienceMilliseconds) {
                             timer->deleteLater();
                             timer->stop();
                             Missed = true;
                             // Whatever came up instead must not wait for a human.
                             if (top != nullptr) {
                                 top->close();
                             }
                         }
                     });
    timer->start(PollMilliseconds);
}

bool AllModalWindowsCame() {
    return !Missed;
}
