// Answers a modal dialog the way a user does: once it is up, does what the
// test wants done on it, then presses one of its buttons.
#pragma once

#include <QPushButton>
#include <QTest>

#include <functional>

#include "tests/dialogs/ModalDriver.h"

inline void ActThenAnswer(QWidget* dialog, const std::function<void()>& act, QPushButton* answer) {
    WhenModal(dialog, [act, answer] {
        if (act) {
            act();
        }
        QTest::mouseClick(answer, Qt::LeftButton);
    });
}
