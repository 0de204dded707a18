// A question before something the user cannot take back: the warning icon,
// the action named on its button without the style's green tick, and Cancel
// as the default, so that a key pressed by habit keeps what is there. The
// buttons are the standard Yes and No under other texts.
#pragma once

#include <QString>

class QWidget;

// True when the user chose the action.
bool AskDestructive(QWidget* parent, const QString& text, const QString& action);
