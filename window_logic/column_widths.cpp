#include "column_widths.h"

#include "field_text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>

namespace {

constexpr std::size_t kCodeUnits = 0x10000;
constexpr int kUnitsPerPixel = 64;
// A byte's width that no sum of real widths reaches: the byte is not ASCII, or a tab.
constexpr std::int64_t kNotAscii = std::int64_t{1} << 40;

// Whether the bytes are ASCII without a tab: a cell draws a tab up to the next tab stop, so
// that only such a text is as wide as its characters added up. Eight bytes at a time, the last
// eight overlapping those before: most cell texts are a few dozen bytes long, and a loop over
// their last few bytes would cost more than the rest.
bool isPlainAscii(std::string_view bytes)
{
    constexpr std::uint64_t kHighBits = 0x8080808080808080U;
    constexpr std::uint64_t kLowBits = 0x0101010101010101U;
    constexpr std::uint64_t kTabs = 0x0909090909090909U;
    // The high bit of each byte that is not ASCII or, where one is, of a byte that is a tab.
    const auto marks = [](std::uint64_t word) {
        const std::uint64_t tabsZeroed = word ^ kTabs;
        return (word | ((tabsZeroed - kLowBits) & ~tabsZeroed)) & kHighBits;
    };
    const char* const text = bytes.data();
    const std::size_t size = bytes.size();
    if (size < 8) {
        std::uint32_t any = 0;
        for (std::size_t i = 0; i < size; ++i)
            any |= static_cast<unsigned char>(text[i]) | (text[i] == '\t' ? 0x80U : 0U);
        return (any & 0x80U) == 0;
    }
    std::uint64_t any = 0;
    std::uint64_t word = 0;
    for (std::size_t i = 0; i + 8 < size; i += 8) {
        std::memcpy(&word, text + i, 8);
        any |= marks(word);
    }
    std::memcpy(&word, text + size - 8, 8);
    return (any | marks(word)) == 0;
}

// Whether the texts are all plain ASCII, judged in one pass where they lie back to back, as a
// stored row's do; false where they do not.
bool isAsciiRow(const EntryView& entry)
{
    const auto all = entry.joined();
    return all && isPlainAscii(*all);
}

}  // namespace

ColumnWidths::ColumnWidths(const EntryTable& table, const TextMeasure& measure)
    : table_(table), measure_(measure), characterWidths_(kCodeUnits, -1.0F)
{
    measureCharacters();
}

// The measure's font changed: every width is measured afresh, each column when next asked for.
void ColumnWidths::remeasure()
{
    std::fill(characterWidths_.begin(), characterWidths_.end(), -1.0F);
    measureCharacters();
    stale_.set();
}

void ColumnWidths::measureCharacters()
{
    padding_ = measure_.cellPadding();
    widestAsciiUnits_ = 0;
    const auto units = [this](char16_t character) {
        return static_cast<std::int64_t>(std::ceil(characterWidth(character) * kUnitsPerPixel));
    };
    units_.fill(kNotAscii);
    for (char16_t character = 0; character < 0x80; ++character) {
        if (character == u'\t')
            continue;
        units_[character] = units(character);
        widestAsciiUnits_ = std::max(widestAsciiUnits_, units_[character]);
    }
    notesUnits_ = units_;
    notesUnits_['\r'] = notesUnits_['\n'] = units(kReturnSign);
    widestAsciiUnits_ = std::max(widestAsciiUnits_, units(kReturnSign));
    ellipsisUnits_ = units(kEllipsis);
    for (std::size_t column = 0; column < kEntryFieldCount; ++column)
        setWidest(column, 0);
}

// A row that cannot be measured (memory ran out) leaves its columns to be measured afresh.
void ColumnWidths::add(const EntryView& entry)
{
    try {
        const bool ascii = isAsciiRow(entry);
        for (std::size_t column = 0; column < kEntryFieldCount; ++column) {
            if (!stale_[column])
                measureCell(column, entry.texts[column], ascii);
        }
    } catch (const std::bad_alloc&) {
        stale_.set();
    }
}

// Widens the column to the cell where the cell is wider.
void ColumnWidths::measureCell(std::size_t column, std::string_view bytes, bool knownAscii)
{
    if (bytes.size() <= narrowLengths_[column] && (knownAscii || isPlainAscii(bytes)))
        return;
    const auto field = static_cast<EntryField>(column);
    if (mayBeWider(field, bytes, widest_[column]))
        setWidest(column, std::max(widest_[column], cellWidth(field, bytes)));
}

void ColumnWidths::remove(const EntryView& entry)
{
    for (std::size_t column = 0; column < kEntryFieldCount; ++column) {
        if (stale_[column])
            continue;
        const auto field = static_cast<EntryField>(column);
        if (mayBeWider(field, entry[field], widest_[column] - 1)
            && cellWidth(field, entry[field]) == widest_[column])
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

int ColumnWidths::cellWidth(EntryField field, std::string_view bytes) const
{
    return static_cast<int>(std::ceil(measure_.textWidth(cellText(field, bytes)))) + padding_;
}

// Laying out a text costs far more than adding up the widths of its characters, and without
// kerning a text whose characters add up to less than the widest cell cannot be the widest.
// A cell of ASCII bytes is judged from its bytes, first by its length alone, then character
// by character, each line break of Notes counted as a whole return sign. Character widths are
// whole 64ths of a pixel, as text layout adds them up, so the sum is exact and a cell exactly
// as wide as the widest (as in a column of numbers of one length) is not measured again.
// Other cells are judged from their text, with an allowance for rounding.
bool ColumnWidths::mayBeWider(EntryField field, std::string_view bytes, int width) const
{
    const bool notes = field == EntryField::Notes;
    const auto characters = static_cast<std::size_t>(kCellCharacters);
    // As ASCII these bytes make at least as many characters as the cell shows; the bytes a
    // cell shows are never fewer.
    const std::string_view counted =
        bytes.substr(0, std::min(bytes.size(), notes ? 2 * characters : characters));
    const std::int64_t room = roomOf(width);
    const std::int64_t ellipsis = bytes.size() > characters ? ellipsisUnits_ : 0;
    if (static_cast<std::int64_t>(counted.size()) * widestAsciiUnits_ + ellipsis <= room) {
        if (isPlainAscii(counted))
            return false;
        return mayBeWider(cellText(field, bytes), width);
    }

    const std::int64_t sum = ellipsis + unitsOf(field, counted);
    if (sum >= kNotAscii)
        return mayBeWider(cellText(field, bytes), width);
    return sum > room;
}

// The width a cell of this width gives its text, in 64ths of a pixel.
std::int64_t ColumnWidths::roomOf(int width) const
{
    return (static_cast<std::int64_t>(width) - padding_) * kUnitsPerPixel;
}

// The bytes' widths added up, at least kNotAscii where one is not ASCII. Eight bytes at a
// time, a sum for each, so that the table look-ups overlap; the last bytes are read as the
// last eight, those already counted masked out.
std::int64_t ColumnWidths::unitsOf(EntryField field, std::string_view bytes) const
{
    const auto& units = field == EntryField::Notes ? notesUnits_ : units_;
    const auto* text = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    std::array<std::int64_t, 4> sums{};
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        for (std::size_t lane = 0; lane < 8; ++lane)
            sums[lane % 4] += units[text[i + lane]];
    }
    if (i < size && size >= 8) {
        const std::size_t done = 8 - (size - i);
        for (std::size_t lane = 0; lane < 8; ++lane)
            sums[lane % 4] += units[text[size - 8 + lane]] & -std::int64_t{lane >= done};
    } else {
        for (; i < size; ++i)
            sums[0] += units[text[i]];
    }
    return sums[0] + sums[1] + sums[2] + sums[3];
}

bool ColumnWidths::mayBeWider(std::u16string_view text, int width) const
{
    double sum = padding_ + 1.0;
    for (const char16_t character : text) {
        if ((character & 0xF800) == 0xD800 || character == u'\t')
            return true;
        sum += characterWidth(character);
        if (sum > width)
            return true;
    }
    return false;
}

float ColumnWidths::characterWidth(char16_t character) const
{
    float& known = characterWidths_[character];
    if (known < 0)
        known = static_cast<float>(measure_.characterWidth(character));
    return known;
}

void ColumnWidths::measureColumn(std::size_t column)
{
    setWidest(column, 0);
    for (std::size_t row = 0; row < table_.count(); ++row)
        measureCell(column, table_.row(row).texts[column], false);
    stale_[column] = false;
}

// The longest ASCII text that cannot be wider than the widest cell, from its length alone.
void ColumnWidths::setWidest(std::size_t column, int width)
{
    widest_[column] = width;
    const std::int64_t room = roomOf(width);
    narrowLengths_[column] = room <= 0 ? 0
        : std::min(static_cast<std::size_t>(room / std::max<std::int64_t>(widestAsciiUnits_, 1)),
                   static_cast<std::size_t>(kCellCharacters));
}
