// A strip of marks with figures beside the wave box: along its top edge the
// ruler of samples or seconds, along its left edge the amplitude scale. It
// draws on the wave area's ground and takes its marks, for its font, from a
// source that knows the view; a mark's position is a column or a row of the
// wave box, which the strip lines up with.
#pragma once

#include <QColor>
#include <QWidget>

#include <functional>
#include <vector>

#include "wave/RulerMarks.h"

class TWaveRuler : public QWidget {
    Q_OBJECT

public:
    using TSource = std::function<std::vector<TRulerMark>(const QFontMetrics&)>;

    // Horizontal: the ruler above the box; vertical: the scale at its left.
    explicit TWaveRuler(Qt::Orientation orientation, QWidget* parent = nullptr);

    void SetSource(TSource source);
    void SetColour(const QColor& colour);
    // The marks as the strip shows them now.
    std::vector<TRulerMark> Marks() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PaintAlongTop(QPainter& painter, const std::vector<TRulerMark>& marks);
    void PaintAlongSide(QPainter& painter, const std::vector<TRulerMark>& marks);

    Qt::Orientation Orientation;
    TSource Source;
    QColor Colour;
};
