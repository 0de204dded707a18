// The status bar's five position panels, side by side from its left edge,
// each 75 pixels wide, or as wide as the highest address needs in a larger
// font; the last one reaches on to the right edge. A press anywhere on them
// is reported with the point, so that the owner can tell which panel was hit.
#pragma once

#include <QLabel>
#include <QString>
#include <QWidget>
#include <array>
#include <optional>

class TStatusPanels : public QWidget {
    Q_OBJECT
public:
    static constexpr int PanelCount = 5;
    static constexpr int PanelWidth = 75;

    explicit TStatusPanels(QWidget* parent = nullptr);

    QString Text(int panel) const;
    void SetText(int panel, const QString& text);
    // The panel under the column x: the first whose right edge lies beyond
    // x; none beyond the last.
    std::optional<int> PanelAt(int x) const;

signals:
    void MouseDown(Qt::MouseButton button, int x, int y);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // A figure cut short reads as another number: the address panels take
    // the width of the highest address in the font they have.
    void FitPanels();

    std::array<QLabel*, PanelCount> Panels{};
    // The width of an address panel, and the last panel's least width,
    // which a press counts as its width.
    int Width = PanelWidth;
};
