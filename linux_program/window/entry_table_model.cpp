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
    return QString::fromStdU16String(
        cellText(field, table_.row(static_cast<std::size_t>(index.row()))[field]));
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

void EntryTableModel::beginChange(const RowChange& change)
{
    const int first = static_cast<int>(change.first);
    const int last = first + static_cast<int>(change.count) - 1;
    if (change.kind == RowChange::Kind::Inserted)
        beginInsertRows({}, first, last);
    else if (change.kind == RowChange::Kind::Removed)
        beginRemoveRows({}, first, last);
}

void EntryTableModel::endChange(const RowChange& change)
{
    if (change.kind == RowChange::Kind::Inserted) {
        endInsertRows();
    } else if (change.kind == RowChange::Kind::Removed) {
        endRemoveRows();
    } else if (change.count > 0) {
        const int first = static_cast<int>(change.first);
        emit dataChanged(index(first, 0),
                         index(first + static_cast<int>(change.count) - 1, columnCount() - 1));
    }
}
