#include "dialogs/WaveSampleList.h"

#include <QHeaderView>
#include <QScrollBar>

#include <algorithm>

#include "dialogs/SampleFigures.h"
#include "transfer/WaveFile.h"

namespace {

// Under the sort key of each column; the row's wavesample index goes in the
// number column.
constexpr int SortRole = Qt::UserRole;
constexpr int IndexRole = Qt::UserRole + 1;
const QString NewText = "<new>";
// In place of the figures that could not be read.
const QString UnreadText = "not read";

// Compares by the column's sort key where it has one: numbers as numbers.
class TWaveSampleRow : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;

    bool operator<(const QTreeWidgetItem& other) const override {
        const int column = treeWidget() != nullptr ? treeWidget()->sortColumn() : 0;
        const QVariant mine = data(column, SortRole);
        const QVariant theirs = other.data(column, SortRole);
        if (mine.isValid() && theirs.isValid() && mine != theirs) {
            return QVariant::compare(mine, theirs) == QPartialOrdering::Less;
        }
        if (!mine.isValid() || !theirs.isValid()) {
            return mine.isValid() < theirs.isValid();
        }
        return TWaveSampleList::Index(this) < TWaveSampleList::Index(&other);
    }
};

void SetFigure(QTreeWidgetItem* row, int column, const QString& text, const QVariant& key) {
    row->setText(column, text);
    row->setData(column, SortRole, key);
}

} // namespace

TWaveSampleList::TWaveSampleList(QWidget* parent) : QTreeWidget(parent) {
    setHeaderLabels({"Number", "Name", "Samples", "Rate", "Copy of"});
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(true);
    sortByColumn(NumberColumn, Qt::AscendingOrder);
    header()->setStretchLastSection(true);
    header()->setSectionsMovable(false);
    for (const TColumn figure : {SamplesColumn, RateColumn, CopyOfColumn}) {
        headerItem()->setTextAlignment(figure, Qt::AlignRight | Qt::AlignVCenter);
    }
}

int TWaveSampleList::count() const {
    return topLevelItemCount();
}

QTreeWidgetItem* TWaveSampleList::item(int row) const {
    return topLevelItem(row);
}

int TWaveSampleList::currentRow() const {
    return indexOfTopLevelItem(currentItem());
}

void TWaveSampleList::setCurrentRow(int row) {
    if (QTreeWidgetItem* chosen = item(row)) {
        setCurrentItem(chosen);
    }
}

void TWaveSampleList::AddRow(int index, bool freeSlot) {
    auto* row = new TWaveSampleRow;
    row->setData(NumberColumn, IndexRole, index);
    for (const TColumn figure : {SamplesColumn, RateColumn, CopyOfColumn}) {
        row->setTextAlignment(figure, Qt::AlignRight | Qt::AlignVCenter);
    }
    if (freeSlot) {
        SetFigure(row, NumberColumn, NewText, 0);
    } else {
        SetFigure(row, NumberColumn, QString::number(index + 1), index + 1);
    }
    addTopLevelItem(row);
}

std::vector<int> TWaveSampleList::Indexes() const {
    std::vector<int> indexes;
    for (int row = 0; row < count(); ++row) {
        indexes.push_back(Index(item(row)));
    }
    return indexes;
}

int TWaveSampleList::Index(const QTreeWidgetItem* row) {
    return row->data(NumberColumn, IndexRole).toInt();
}

void TWaveSampleList::ShowFigures(QTreeWidgetItem* row,
                                  const std::optional<TWaveSampleInfo>& info) {
    if (!info) {
        SetFigure(row, NameColumn, UnreadText, {});
        return;
    }
    SetFigure(row, NameColumn, QString::fromLatin1(info->Name), QString::fromLatin1(info->Name));
    // A parameters-only copy plays its original's samples: its own addresses
    // say nothing.
    if (info->CopyOf != 0) {
        SetFigure(row, CopyOfColumn, QString::number(info->CopyOf), info->CopyOf);
        return;
    }
    const int rate = static_cast<int>(PeriodToRate(static_cast<std::uint32_t>(info->PeriodWord)));
    SetFigure(row, SamplesColumn, SampleNumberText(info->Samples), info->Samples);
    SetFigure(row, RateColumn, QString("%1 Hz").arg(rate), rate);
}

// The list asks for the width of all its columns, so that the browser grows
// rather than hiding a figure behind a scroll bar.
void TWaveSampleList::FitColumns() {
    int needed = 2 * frameWidth() + verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < columnCount(); ++column) {
        resizeColumnToContents(column);
        needed += std::max(sizeHintForColumn(column), header()->sectionSizeHint(column));
    }
    setMinimumWidth(needed);
}
