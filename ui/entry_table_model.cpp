#include "entry_table_model.h"

#include "field_text.h"

#include <array>

namespace {

constexpr std::array<const char*, kEntryFieldCount> kHeadings{
    "Name", "Username", "Password", "URL", "Other", "Notes",
};

constexpr int kLeftAligned = Qt::AlignLeft | Qt::AlignVCenter;

}  // namespace

EntryTableModel::EntryTableModel(EntryTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table)
{
}

int EntryTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(table_.count());
}

int EntryTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(kEntryFieldCount);
}

QVariant EntryTableModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == Qt::TextAlignmentRole)
        return kLeftAligned;
    if (role != Qt::DisplayRole)
        return {};
    const auto field = static_cast<EntryField>(index.column());
    return cellText(field, table_.row(static_cast<std::size_t>(index.row()))[field]);
}

QVariant EntryTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0
        || section >= static_cast<int>(kEntryFieldCount))
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(kHeadings[static_cast<std::size_t>(section)]);
    if (role == Qt::TextAlignmentRole)
        return kLeftAligned;
    return {};
}

void EntryTableModel::insertFirst(const EntryView& entry)
{
    beginInsertRows({}, 0, 0);
    table_.insertFirst(entry);
    endInsertRows();
}

void EntryTableModel::setRow(std::size_t row, const EntryView& entry)
{
    if (row >= table_.count())
        return;
    table_.setRow(row, entry);
    const int line = static_cast<int>(row);
    emit dataChanged(index(line, 0), index(line, columnCount() - 1));
}

void EntryTableModel::deleteRow(std::size_t row)
{
    if (row >= table_.count())
        return;
    const int line = static_cast<int>(row);
    beginRemoveRows({}, line, line);
    table_.deleteRow(row);
    endRemoveRows();
}

// Sorting exchanges texts between positions, so every row may have changed but none moved.
void EntryTableModel::sortByColumn(EntryField column)
{
    table_.sortByColumn(column);
    if (table_.count() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}
