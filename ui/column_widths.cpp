#include "column_widths.h"

#include "field_text.h"

#include <cmath>

namespace {

constexpr std::size_t kCodeUnits = 0x10000;

}  // namespace

ColumnWidths::ColumnWidths(const EntryTable& table, const QFont& font, int padding)
    : table_(table), metrics_(font), padding_(padding), characterWidths_(kCodeUnits, -1.0F)
{
}

void ColumnWidths::add(const EntryView& entry)
{
    for (std::size_t column = 0; column < kEntryFieldCount; ++column) {
        if (stale_[column])
            continue;
        const auto field = static_cast<EntryField>(column);
        const QString text = cellText(field, entry[field]);
        if (mayBeWider(text, widest_[column]))
            widest_[column] = std::max(widest_[column], cellWidth(text));
    }
}

void ColumnWidths::remove(const EntryView& entry)
{
    for (std::size_t column = 0; column < kEntryFieldCount; ++column) {
        if (stale_[column])
            continue;
        const auto field = static_cast<EntryField>(column);
        const QString text = cellText(field, entry[field]);
        if (mayBeWider(text, widest_[column] - 1) && cellWidth(text) == widest_[column])
            stale_[column] = true;
    }
}

int ColumnWidths::widest(EntryField column)
{
    const auto index = static_cast<std::size_t>(column);
    if (stale_[index])
        measureColumn(index);
    return widest_[index];
}

int ColumnWidths::cellWidth(const QString& text) const
{
    return static_cast<int>(std::ceil(metrics_.horizontalAdvance(text))) + padding_;
}

// Laying out a text costs far more than adding up the widths of its characters, and without
// kerning a text whose characters add up to less than the widest cell cannot be the widest.
// The allowance covers rounding.
bool ColumnWidths::mayBeWider(const QString& text, int width) const
{
    qreal sum = padding_ + 1.0;
    for (const QChar character : text) {
        if (character.isSurrogate())
            return true;
        float& known = characterWidths_[character.unicode()];
        if (known < 0)
            known = static_cast<float>(metrics_.horizontalAdvance(character));
        sum += known;
        if (sum > width)
            return true;
    }
    return false;
}

void ColumnWidths::measureColumn(std::size_t column)
{
    const auto field = static_cast<EntryField>(column);
    int widest = 0;
    for (std::size_t row = 0; row < table_.count(); ++row) {
        const QString text = cellText(field, table_.row(row)[field]);
        if (mayBeWider(text, widest))
            widest = std::max(widest, cellWidth(text));
    }
    widest_[column] = widest;
    stale_[column] = false;
}
