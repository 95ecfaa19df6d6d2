#pragma once

#include "entry_table.h"

#include <QAbstractTableModel>

// Presents the entry table to the view, one line per row, and changes the table only through
// calls that tell the view exactly what changed.
class EntryTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit EntryTableModel(EntryTable& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    void insertFirst(const EntryView& entry);
    void setRow(std::size_t row, const EntryView& entry);
    void deleteRow(std::size_t row);
    void sortByColumn(EntryField column);

private:
    EntryTable& table_;
};
