#include "wave/WaveBox.h"

#include <QMouseEvent>
#include <QPainter>

TWaveBox::TWaveBox(QWidget* parent) : QWidget(parent) {
    // The picture covers every pixel; nothing needs clearing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TWaveBox::Invalidate() {
    Stale = true;
    update();
}

const QImage& TWaveBox::Picture() {
    if (Stale) {
        Redraw();
    }
    return Image;
}

void TWaveBox::InvertColumns(int left, int right) {
    TWaveCanvas canvas(Image);
    canvas.InvertRect(left, 0, right, Image.height());
    // Inside a paint the picture is about to be shown anyway.
    if (!Drawing) {
        update();
    }
}

void TWaveBox::TintColumns(int left, int right, const QColor& colour) {
    Tint = QRect(left, 0, right - left, height());
    TintColour = colour;
    if (!Drawing) {
        update();
    }
}

void TWaveBox::Redraw() {
    if (Image.size() != size()) {
        Image = QImage(size(), QImage::Format_RGB32);
    }
    Stale = false;
    Drawing = true;
    TWaveCanvas canvas(Image);
    emit Paint(canvas);
    Drawing = false;
}

void TWaveBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), Picture(), event->rect());
    if (TintColour.isValid()) {
        painter.fillRect(Tint, TintColour);
    }
}

void TWaveBox::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Stale = true;
}

void TWaveBox::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit MouseDown(event->button(), at.x(), at.y(), event->modifiers());
}

void TWaveBox::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit MouseMove(at.x(), at.y());
}

void TWaveBox::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit MouseUp(event->button(), at.x(), at.y());
}
