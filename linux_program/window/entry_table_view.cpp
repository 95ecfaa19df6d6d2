#include "entry_table_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

EntryTableView::EntryTableView(QWidget* parent) : QTableView(parent)
{
    // Cells are not kerned, as in the platform's own list control; it also lets the widest
    // cell be found by adding up character widths.
    QFont cellFont = font();
    cellFont.setKerning(false);
    setFont(cellFont);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    showSelection(false);
}

// Resizing a section costs even when its width stays, so only sections whose width changes
// are resized.
void EntryTableView::fitColumns(const std::array<int, kEntryFieldCount>& cellWidths)
{
    QHeaderView& header = *horizontalHeader();
    for (std::size_t column = 0; column < kEntryFieldCount; ++column) {
        const int section = static_cast<int>(column);
        if (headingWidths_[column] == 0)
            headingWidths_[column] = header.sectionSizeHint(section);
        fittedWidths_[column] = std::max(cellWidths[column], headingWidths_[column]);
        if (column + 1 < kEntryFieldCount && header.sectionSize(section) != fittedWidths_[column])
            header.resizeSection(section, fittedWidths_[column]);
    }
    stretchLastColumn();
}

void EntryTableView::mousePressEvent(QMouseEvent* event)
{
    QTableView::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        emit leftPressed();
}

// The press loaded its row into the form; a drag selecting another row would leave Update and
// Delete acting on a record the form does not show.
void EntryTableView::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() != Qt::NoButton) {
        event->accept();
        return;
    }
    QTableView::mouseMoveEvent(event);
}

// The view would copy the current cell, often a password the user cannot see is chosen.
void EntryTableView::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        event->ignore();
        return;
    }
    QTableView::keyPressEvent(event);
}

void EntryTableView::focusInEvent(QFocusEvent* event)
{
    showSelection(true);
    QTableView::focusInEvent(event);
}

void EntryTableView::focusOutEvent(QFocusEvent* event)
{
    showSelection(false);
    QTableView::focusOutEvent(event);
}

void EntryTableView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        headingWidths_.fill(0);
    QTableView::changeEvent(event);
}

void EntryTableView::stretchLastColumn()
{
    const int last = static_cast<int>(kEntryFieldCount) - 1;
    const int room = viewport()->width() - horizontalHeader()->sectionPosition(last);
    const int width = std::max(fittedWidths_.back(), room);
    if (horizontalHeader()->sectionSize(last) != width)
        horizontalHeader()->resizeSection(last, width);
}

// Without the focus, selected rows are drawn in the colours of the others.
void EntryTableView::showSelection(bool shown)
{
    if (shown) {
        setPalette(QPalette());  // inherit again
        return;
    }
    QPalette colours = palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        colours.setColor(group, QPalette::Highlight, colours.color(group, QPalette::Base));
        colours.setColor(group, QPalette::HighlightedText, colours.color(group, QPalette::Text));
    }
    setPalette(colours);
}
