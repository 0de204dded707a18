#include "app/BusyIndicator.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QToolButton>

#include <algorithm>

TBusyIndicator::TBusyIndicator(QWidget* parent) : QWidget(parent) {
    Text = new QLabel("Waiting for the EPS/ASR...");
    CancelButton = new QToolButton;
    CancelButton->setText("Cancel");
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(Text);
    layout->addWidget(CancelButton);
    connect(CancelButton, &QToolButton::clicked, this, &TBusyIndicator::Cancel);
    ShowTimer.setSingleShot(true);
    ShowTimer.setInterval(ShowDelay);
    connect(&ShowTimer, &QTimer::timeout, this, &TBusyIndicator::Appear);
    hide();
}

void TBusyIndicator::Start() {
    CancelledFlag = false;
    Frozen.clear();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible()) {
            Frozen.emplace_back(window);
        }
    }
    qApp->installEventFilter(this);
    ShowTimer.start();
}

void TBusyIndicator::Stop() {
    ShowTimer.stop();
    qApp->removeEventFilter(this);
    Frozen.clear();
    hide();
    HandKeptInput();
}

void TBusyIndicator::KeepInputOf(QWidget* window) {
    Keeping = window;
}

// Posted, so that the input comes after the wait has unwound, in the order
// the user gave it.
void TBusyIndicator::HandKeptInput() {
    for (TKeptEvent& kept : Kept) {
        if (kept.Receiver != nullptr) {
            QCoreApplication::postEvent(kept.Receiver, kept.Event.release());
        }
    }
    Kept.clear();
    Keeping = nullptr;
}

void TBusyIndicator::SetAside() {
    if (isVisible() || ShowTimer.isActive()) {
        hide();
        ShowTimer.start();
    }
}

// A dialog opened in the middle of the wait covers the window, so the strip
// waits until it has been answered.
void TBusyIndicator::Appear() {
    const QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && FrozenWindowOf(modal) == nullptr) {
        ShowTimer.start();
        return;
    }
    show();
    // The pointer tells that the program works but the Cancel button takes a
    // click; a dialog's own arrow pointer is left alone.
    const QCursor* cursor = QApplication::overrideCursor();
    if (cursor != nullptr && cursor->shape() == Qt::WaitCursor) {
        QApplication::changeOverrideCursor(Qt::BusyCursor);
    }
}

void TBusyIndicator::Cancel() {
    CancelledFlag = true;
}

// Shortcuts reach the menu commands' actions, not a window's widget.
bool TBusyIndicator::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Shortcut && qobject_cast<QAction*>(watched) != nullptr) {
        return true;
    }
    const QWidget* window = FrozenWindowOf(watched);
    if (window == nullptr || watched == CancelButton) {
        return false;
    }
    if (event->type() == QEvent::Close) {
        event->ignore();
        Cancel();
        return true;
    }
    if (!IsUserInput(*event)) {
        return false;
    }
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        Cancel();
    } else if (window == Keeping) {
        Kept.push_back({watched, std::unique_ptr<QEvent>(event->clone())});
    }
    return true;
}

QWidget* TBusyIndicator::FrozenWindowOf(const QObject* receiver) const {
    const auto* widget = qobject_cast<const QWidget*>(receiver);
    if (widget == nullptr) {
        return nullptr;
    }
    QWidget* window = widget->window();
    for (auto* menu = qobject_cast<QMenu*>(window); menu != nullptr && menu->parentWidget();
         menu = qobject_cast<QMenu*>(window)) {
        window = menu->parentWidget()->window();
    }
    const bool frozen = std::find(Frozen.begin(), Frozen.end(), window) != Frozen.end();
    return frozen ? window : nullptr;
}

bool TBusyIndicator::IsUserInput(const QEvent& event) {
    switch (event.type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
        return true;
    default:
        return false;
    }
}
