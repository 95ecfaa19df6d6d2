#pragma once

#include "entry_table.h"
#include "tracker_window.h"

#include <QAbstractTableModel>

// Presents the entry table to the view, one line per row, and tells the view exactly what
// changes, before and after each change is made.
class EntryTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit EntryTableModel(EntryTable& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    void beginChange(const RowChange& change);
    void endChange(const RowChange& change);

private:
    EntryTable& table_;
};
