#include "dialogs/WindowPlacement.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

void TWindowPlacement::CentreOver(QWidget& window, const QWidget* owner) {
    const QScreen* display = window.screen();
    if (display == nullptr) {
        return;
    }
    const QRect room = display->availableGeometry();
    const bool ownerShown = owner != nullptr && owner->isVisible() && !owner->isMinimized();
    QRect frame = window.frameGeometry();
    frame.moveCenter(ownerShown ? owner->frameGeometry().center() : room.center());
    const auto within = [](int start, int length, int first, int last) {
        return std::max(first, std::min(start, last + 1 - length));
    };
    window.move(within(frame.left(), frame.width(), room.left(), room.right()),
                within(frame.top(), frame.height(), room.top(), room.bottom()));
}
