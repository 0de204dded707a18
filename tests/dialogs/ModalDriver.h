// Drives modal windows and popup menus from a test: the action runs inside
// the window's own modal loop once the window is on top. A window that does not come up in
// time fails the test instead of leaving it waiting for a human.
#pragma once

#include <functional>

class QWidget;

void WhenModal(QWidget* window, std::function<void()> action);

// False once a window awaited by WhenModal did not come up in time.
bool AllModalWindowsCame();
