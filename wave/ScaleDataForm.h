// The Scale Data dialog: the user draws a volume envelope over the selected
// range as a chain of nodes joined by straight lines, from 0.0 at the bottom
// of the box to 2.0 at the top, and picks a depth. The dialog only collects
// the envelope; the caller turns each segment into a request.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "dialogs/ModalForm.h"
#include "wave/ScaleNode.h"

class QAction;
class QLabel;
class QPushButton;
class QScrollBar;

class TScaleDataForm : public TModalForm {
    Q_OBJECT

public:
    explicit TScaleDataForm(QWidget* parent = nullptr);
    ~TScaleDataForm() override;

    // What the sampler is given for one node: the sample it lies on and its
    // level as a level word.
    struct TNodeValue {
        std::int32_t Position;
        std::int32_t Level;
        bool operator==(const TNodeValue&) const = default;
    };

    // Shows a flat envelope over the samples start..end (both included) and
    // returns OK or Cancel.
    TModalResult Execute(std::int32_t start, std::int32_t end);
    // Node i counted from the left, 0-based; none past the last node.
    std::optional<TNodeValue> GetNode(int i) const;
    // The depth the sampler receives, 0..6.
    int Depth() const;

    // Handlers.
    void ScaleBoxPaint();
    void ScaleBoxMouseDown(Qt::MouseButton button, int x, int y);
    void ScaleBoxMouseMove(int x, int y);
    void ScaleBoxMouseUp(Qt::MouseButton button);
    void DeleteNode1Click();
    void DepthScrollBarChange();

    // The level a node at this row stands for, 0 (bottom) .. 256 (top).
    int LevelAt(int y) const;
    // The level packed as the sampler reads it: the bits above the lowest
    // seven move up into the next byte.
    static std::int32_t LevelWord(int level);

    QWidget* ScaleBox;
    QScrollBar* DepthScrollBar;
    QLabel* DepthLabel;
    QPushButton* OkButton;
    QPushButton* CancelButton;
    QAction* DeleteNode1;

    // The chain, its first node first.
    std::unique_ptr<TScaleNode> Nodes;
    TScaleNode* SelectedNode = nullptr;
    bool Dragging = false;
    std::int32_t RangeStart = 0;
    std::int32_t RangeEnd = 0;
    // The band the nodes may occupy inside ScaleBox.
    int BoxLeft = 0;
    int BoxRight = 0;
    int BoxTop = 0;
    int BoxBottom = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateScaleBox();
    void CreateDepthControls();
    void CreateButtons();
    void CreateNodeMenu();
    int MidRow() const;
    int LimitRow(int y) const;
    std::int32_t PositionAt(int x) const;
    // Inserts a new node for a press at (x, y) in the gap left of node, when
    // the gap has room for it; true when it did.
    bool InsertNodeBefore(TScaleNode* node, int x, int y);
    void Select(TScaleNode* node);
};
