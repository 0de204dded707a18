#include "app/StatusPanels.h"

#include <QHBoxLayout>
#include <QMouseEvent>

TStatusPanels::TStatusPanels(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QLabel*& panel : Panels) {
        panel = new QLabel(this);
        panel->setFixedWidth(PanelWidth);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        // Presses belong to the row of panels, not to one label.
        panel->setAttribute(Qt::WA_TransparentForMouseEvents);
        layout->addWidget(panel);
    }
    // The last panel reaches to the right edge: a range of long addresses
    // ("range:1000000 - 1999999") would not fit 75 pixels, and a range cut
    // short reads as a different range.
    QLabel* last = Panels.back();
    last->setMinimumWidth(PanelWidth);
    last->setMaximumWidth(QWIDGETSIZE_MAX);
    layout->setStretchFactor(last, 1);
}

QString TStatusPanels::Text(int panel) const {
    return Panels.at(panel)->text();
}

void TStatusPanels::SetText(int panel, const QString& text) {
    // Idle updates rewrite every panel; an unchanged text must not repaint.
    if (Panels.at(panel)->text() != text) {
        Panels.at(panel)->setText(text);
    }
}

std::optional<int> TStatusPanels::PanelAt(int x) {
    int right = 0;
    for (int panel = 0; panel < PanelCount; ++panel) {
        right += PanelWidth;
        if (right > x) {
            return panel;
        }
    }
    return std::nullopt;
}

void TStatusPanels::mousePressEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    emit MouseDown(event->button(), point.x(), point.y());
}
