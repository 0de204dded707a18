// The browser's wavesample list: one row per wavesample, its figures in
// columns that the user sorts by clicking a header. Figures sort by their
// values, not their texts ("9,000" before "10,000"), and the "<new>" row
// sorts before the wavesamples by number. Each column is as wide as its
// widest text, so that no figure is ever cut; the last takes the room left.
#pragma once

#include <QTreeWidget>

#include <optional>
#include <vector>

#include "eps/WaveSampleInfo.h"

class TWaveSampleList : public QTreeWidget {
    Q_OBJECT

public:
    enum TColumn { NumberColumn, NameColumn, SamplesColumn, RateColumn, CopyOfColumn };

    explicit TWaveSampleList(QWidget* parent = nullptr);

    // The rows in the order shown, as a list of rows is driven.
    int count() const;
    QTreeWidgetItem* item(int row) const;
    int currentRow() const;
    void setCurrentRow(int row);

    // A row for the wavesample of 0-based index, or "<new>" for a free slot
    // of that index; a wavesample's figures come later.
    void AddRow(int index, bool freeSlot);
    // The 0-based wavesample index of each row, in the order shown.
    std::vector<int> Indexes() const;
    static int Index(const QTreeWidgetItem* row);
    // What the wavesample holds, or "not read" when its figures could not be
    // read.
    static void ShowFigures(QTreeWidgetItem* row, const std::optional<TWaveSampleInfo>& info);
    // Sizes the columns to their texts and the list to its columns.
    void FitColumns();
};
