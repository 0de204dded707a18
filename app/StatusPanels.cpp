#include "app/StatusPanels.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QMouseEvent>

#include <algorithm>

TStatusPanels::TStatusPanels(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QLabel*& panel : Panels) {
        panel = new QLabel(this);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        // Presses belong to the row of panels, not to one label.
        panel->setAttribute(Qt::WA_TransparentForMouseEvents);
        layout->addWidget(panel);
    }
    // The last panel reaches to the right edge: a range of long addresses
    // ("range:1000000 - 1999999") would not fit 75 pixels, and a range cut
    // short reads as a different range.
    layout->setStretchFactor(Panels.back(), 1);
    FitPanels();
}

void TStatusPanels::FitPanels() {
    const QFontMetrics metrics = Panels.front()->fontMetrics();
    int widest = 0;
    for (const char* name : {"ws:", "we:", "ls:", "le:"}) {
        widest = std::max(widest, metrics.horizontalAdvance(QString(name) + "8388607"));
    }
    // A framed label indents its text by half an "x".
    Width = std::max(PanelWidth,
                     widest + 2 * Panels.front()->frameWidth() + metrics.horizontalAdvance('x'));
    for (QLabel* panel : Panels) {
        if (panel == Panels.back()) {
            panel->setMinimumWidth(Width);
        } else {
            panel->setFixedWidth(Width);
        }
    }
}

void TStatusPanels::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        FitPanels();
    }
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

std::optional<int> TStatusPanels::PanelAt(int x) const {
    int right = 0;
    for (int panel = 0; panel < PanelCount; ++panel) {
        right += Width;
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
