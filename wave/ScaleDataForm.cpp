#include "wave/ScaleDataForm.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr int ClientWidth = 469;
constexpr int ClientHeight = 178;
constexpr QRect FrameRect(32, 8, 321, 129);
constexpr int FrameWidth = 2;
constexpr int BandMargin = 3;
constexpr int MaxDepth = 6;
constexpr int NodeHalfSize = 3;
// A press this close to a node's column grabs the node.
constexpr int GrabDistance = 5;
// A new node needs this much room to both neighbours.
constexpr int InsertDistance = 11;
// Dragged nodes keep this far from their neighbours.
constexpr int DragDistance = 4;
constexpr int FullLevel = 256;

QLabel* PlaceLabel(QWidget* parent, const QString& text, int x, int y) {
    auto* label = new QLabel(text, parent);
    label->move(x, y);
    return label;
}

} // namespace

TScaleDataForm::TScaleDataForm(QWidget* parent) : TModalForm(parent) {
    setWindowTitle("Scale Data");
    setFixedSize(ClientWidth, ClientHeight);
    CreateScaleBox();
    CreateDepthControls();
    CreateButtons();
    CreateNodeMenu();
}

TScaleDataForm::~TScaleDataForm() = default;

void TScaleDataForm::CreateScaleBox() {
    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    frame->setLineWidth(FrameWidth);
    frame->setGeometry(FrameRect);
    ScaleBox = new QWidget(frame);
    ScaleBox->setGeometry(FrameWidth, FrameWidth, FrameRect.width() - 2 * FrameWidth,
                          FrameRect.height() - 2 * FrameWidth);
    ScaleBox->setAutoFillBackground(true);
    QPalette palette = ScaleBox->palette();
    palette.setColor(QPalette::Window, Qt::white);
    ScaleBox->setPalette(palette);
    ScaleBox->installEventFilter(this);
    PlaceLabel(this, "2.0", 8, 8);
    PlaceLabel(this, "1.0", 8, 64);
    PlaceLabel(this, "0.0", 8, 120);
}

void TScaleDataForm::CreateDepthControls() {
    PlaceLabel(this, "Depth", 32, 148);
    DepthScrollBar = new QScrollBar(Qt::Horizontal, this);
    DepthScrollBar->setGeometry(80, 146, 193, 17);
    DepthScrollBar->setRange(0, MaxDepth);
    DepthScrollBar->setPageStep(1);
    DepthLabel = PlaceLabel(this, {}, 288, 148);
    DepthLabel->setMinimumWidth(64);
    connect(DepthScrollBar, &QScrollBar::valueChanged, this, &TScaleDataForm::DepthScrollBarChange);
    DepthScrollBarChange();
}

void TScaleDataForm::CreateButtons() {
    OkButton = MakeResultButton("OK", mrOk);
    OkButton->setParent(this);
    OkButton->setDefault(true);
    OkButton->setGeometry(376, 8, 75, 25);
    CancelButton = MakeResultButton("Cancel", mrCancel);
    CancelButton->setParent(this);
    CancelButton->setGeometry(376, 40, 75, 25);
}

// The dialog's menu never pops up; its one command is reached by its key.
void TScaleDataForm::CreateNodeMenu() {
    DeleteNode1 = new QAction("Delete Node", this);
    DeleteNode1->setShortcut(Qt::Key_Delete);
    connect(DeleteNode1, &QAction::triggered, this, &TScaleDataForm::DeleteNode1Click);
    addAction(DeleteNode1);
}

TModalResult TScaleDataForm::Execute(std::int32_t start, std::int32_t end) {
    Dragging = false;
    SelectedNode = nullptr;
    RangeStart = start;
    RangeEnd = end;
    BoxLeft = BandMargin;
    BoxRight = ScaleBox->width() - BandMargin;
    BoxTop = BandMargin;
    BoxBottom = ScaleBox->height() - BandMargin;
    // A flat envelope at unity from the first sample to the last.
    Nodes = std::make_unique<TScaleNode>(BoxLeft, MidRow());
    Nodes->Next = std::make_unique<TScaleNode>(BoxRight, MidRow());
    Nodes->Next->Prev = Nodes.get();
    ScaleBox->update();
    OkButton->setFocus();
    return ShowModal();
}

std::optional<TScaleDataForm::TNodeValue> TScaleDataForm::GetNode(int i) const {
    const TScaleNode* node = Nodes.get();
    for (; node != nullptr && i > 0; --i) {
        node = node->Next.get();
    }
    if (node == nullptr) {
        return std::nullopt;
    }
    return TNodeValue{PositionAt(node->X), LevelWord(LevelAt(node->Y))};
}

int TScaleDataForm::Depth() const {
    return DepthScrollBar->value();
}

int TScaleDataForm::MidRow() const {
    return BoxTop + (BoxBottom - BoxTop) / 2;
}

int TScaleDataForm::LimitRow(int y) const {
    return std::clamp(y, BoxTop, BoxBottom);
}

int TScaleDataForm::LevelAt(int y) const {
    return FullLevel - ((y - BoxTop) * FullLevel) / (BoxBottom - BoxTop);
}

std::int32_t TScaleDataForm::LevelWord(int level) {
    return ((level >> 7) << 8) | (level & 127);
}

// The product is formed in 64 bits: a column times the length of a long
// wavesample does not fit 32.
std::int32_t TScaleDataForm::PositionAt(int x) const {
    const std::int64_t span = static_cast<std::int64_t>(RangeEnd) - RangeStart;
    return static_cast<std::int32_t>(RangeStart + (x - BoxLeft) * span / (BoxRight - BoxLeft));
}

void TScaleDataForm::ScaleBoxPaint() {
    QPainter painter(ScaleBox);
    painter.setPen(QColor(0, 0, 255));
    painter.drawLine(0, MidRow(), ScaleBox->width(), MidRow());
    painter.setPen(Qt::black);
    for (const TScaleNode* node = Nodes.get(); node != nullptr; node = node->Next.get()) {
        painter.setBrush(node == SelectedNode ? QBrush(Qt::black) : QBrush(Qt::NoBrush));
        // The square covers the columns and rows X - 3 .. X + 2 with its
        // outline, like the sampler's other editors.
        painter.drawRect(node->X - NodeHalfSize, node->Y - NodeHalfSize, 2 * NodeHalfSize - 1,
                         2 * NodeHalfSize - 1);
        if (const TScaleNode* next = node->Next.get()) {
            painter.drawLine(node->X, node->Y, next->X, next->Y);
        }
    }
}

void TScaleDataForm::ScaleBoxMouseDown(Qt::MouseButton button, int x, int y) {
    if (button != Qt::LeftButton) {
        return;
    }
    for (TScaleNode* node = Nodes.get(); node != nullptr; node = node->Next.get()) {
        // Only the column decides whether a node is hit.
        if (node->X - GrabDistance <= x && x <= node->X + GrabDistance) {
            Select(node);
            return;
        }
        if (InsertNodeBefore(node, x, y)) {
            return;
        }
    }
}

bool TScaleDataForm::InsertNodeBefore(TScaleNode* node, int x, int y) {
    TScaleNode* prev = node->Prev;
    if (prev == nullptr || x < prev->X + InsertDistance || x > node->X - InsertDistance) {
        return false;
    }
    auto inserted = std::make_unique<TScaleNode>(x, LimitRow(y));
    inserted->Prev = prev;
    inserted->Next = std::move(prev->Next);
    node->Prev = inserted.get();
    prev->Next = std::move(inserted);
    Select(prev->Next.get());
    return true;
}

void TScaleDataForm::Select(TScaleNode* node) {
    SelectedNode = node;
    ScaleBox->update();
    Dragging = true;
}

void TScaleDataForm::ScaleBoxMouseMove(int x, int y) {
    // The node may have been deleted by its key while the button was held.
    if (!Dragging || SelectedNode == nullptr) {
        return;
    }
    TScaleNode* node = SelectedNode;
    if (node->Prev != nullptr) {
        x = std::max(x, node->Prev->X + DragDistance);
    }
    if (node->Next != nullptr) {
        x = std::min(x, node->Next->X - DragDistance);
    }
    // The first and last nodes stay on the ends of the range; only their
    // levels move.
    if (node->Prev != nullptr && node->Next != nullptr) {
        node->X = x;
    }
    node->Y = LimitRow(y);
    ScaleBox->update();
}

void TScaleDataForm::ScaleBoxMouseUp(Qt::MouseButton button) {
    if (button == Qt::LeftButton) {
        Dragging = false;
    }
}

void TScaleDataForm::DeleteNode1Click() {
    TScaleNode* node = SelectedNode;
    if (node == nullptr || node->Prev == nullptr || node->Next == nullptr) {
        return;
    }
    TScaleNode* prev = node->Prev;
    node->Next->Prev = prev;
    // Taking the node's successor out first; replacing prev->Next then
    // frees the node.
    std::unique_ptr<TScaleNode> next = std::move(node->Next);
    prev->Next = std::move(next);
    SelectedNode = nullptr;
    ScaleBox->update();
}

void TScaleDataForm::DepthScrollBarChange() {
    const double decibels = 3.0 + 0.5 * DepthScrollBar->value();
    DepthLabel->setText(QLocale().toString(decibels, 'g', QLocale::FloatingPointShortest) + " dB");
}

bool TScaleDataForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched != ScaleBox) {
        return TModalForm::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::Paint:
        ScaleBoxPaint();
        return true;
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint at = mouse->position().toPoint();
        ScaleBoxMouseDown(mouse->button(), at.x(), at.y());
        return true;
    }
    case QEvent::MouseMove: {
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        ScaleBoxMouseMove(at.x(), at.y());
        return true;
    }
    case QEvent::MouseButtonRelease:
        ScaleBoxMouseUp(static_cast<QMouseEvent*>(event)->button());
        return true;
    default:
        return TModalForm::eventFilter(watched, event);
    }
}
