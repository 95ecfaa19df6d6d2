#include "tracker_commands.h"

#include "data_file.h"
#include "data_file_load.h"
#include "entry_table.h"
#include "web_address.h"

#include <string>

TrackerCommands::TrackerCommands(DataFileLoad& load, TrackerWindow& window,
                                 const TextMeasure& measure)
    : load_(load),
      table_(load.table()),
      dataFile_(load.file()),
      window_(window),
      form_(window),
      columnWidths_(table_, measure)
{
}

TrackerCommands::~TrackerCommands() = default;

// The table is the load's until it ends, so the view sees it only then; the rows are measured
// meanwhile, as the load hands them over.
void TrackerCommands::initialise()
{
    load_.finish([this](const EntryView& row) { columnWidths_.add(row); });
    dataFile_.setClient(*this);
    window_.showTable();
    fitColumns();
    form_.setCount(table_.count());
    form_.showForm();
}

// Told once the window is on the screen, with the records read before the failure.
void TrackerCommands::shown()
{
    if (load_.stoppedEarly())
        window_.showMessage("Error Reading File", "Load from File", MessageIcon::None);
}

void TrackerCommands::rowSelected(std::size_t row)
{
    table_.setSelectionMark(row);
}

void TrackerCommands::add()
{
    form_.readForm();
    const Entry& entry = form_.strings();
    if (entry[EntryField::Name].empty()) {
        form_.showForm();
        return;
    }
    if (table_.containsDuplicate(entry)
        && window_.ask("This entry is already in the list.\r\nDo you really want to add this item?",
                       MessageIcon::Exclamation, Answer::Yes)
            != Answer::Yes) {
        form_.showForm();
        return;
    }
    columnWidths_.add(entry);
    const RowChange inserted{RowChange::Kind::Inserted, 0, 1};
    window_.rowsChanging(inserted);
    table_.insertFirst(entry);
    window_.rowsChanged(inserted);
    fitColumns();
    form_.clearForm();
    form_.setCount(table_.count());
    form_.showForm();
}

void TrackerCommands::update()
{
    form_.readForm();
    const Entry& entry = form_.strings();
    const auto mark = table_.selectionMark();
    if (!entry[EntryField::Name].empty() && mark && *mark < table_.count()) {
        columnWidths_.remove(table_.row(*mark));
        columnWidths_.add(entry);
        const RowChange changed{RowChange::Kind::Changed, *mark, 1};
        window_.rowsChanging(changed);
        table_.setRow(*mark, entry);
        window_.rowsChanged(changed);
    }
    fitColumns();
    form_.clearForm();
    form_.showForm();
}

void TrackerCommands::deleteEntry()
{
    if (const auto mark = table_.selectionMark(); mark && *mark < table_.count()) {
        columnWidths_.remove(table_.row(*mark));
        const RowChange removed{RowChange::Kind::Removed, *mark, 1};
        window_.rowsChanging(removed);
        table_.deleteRow(*mark);
        window_.rowsChanged(removed);
    }
    form_.setCount(table_.count());
    form_.showForm();
}

void TrackerCommands::clear()
{
    form_.clearForm();
}

// The user has been told when the file was not written, or has declined to replace it.
bool TrackerCommands::save()
{
    window_.suspendTableDrawing();
    form_.readForm();
    form_.holdDisplay();
    saveDeclined_ = false;
    const bool saved = dataFile_.save();
    if (!saved && !saveDeclined_)
        window_.showMessage("Error Writing File", "Save to File", MessageIcon::None);
    form_.releaseDisplay();
    window_.resumeTableDrawing();
    form_.clearForm();
    return saved;
}

// Closing after a failed save would lose every change since the last one.
void TrackerCommands::quit()
{
    if (save())
        window_.endDialog(DialogResult::Ok);
}

void TrackerCommands::cancel()
{
    window_.endDialog(DialogResult::Cancel);
}

void TrackerCommands::go()
{
    form_.readForm();
    std::string& url = form_.strings()[EntryField::Url];
    url = webAddressFor(url);
    window_.openWebAddress(url);
    form_.showForm();
}

void TrackerCommands::help()
{
    window_.openWebAddress(kHelpAddress);
}

void TrackerCommands::rowClick()
{
    form_.readForm();
    const auto mark = table_.selectionMark();
    // The strings keep their room: a huge value is not allocated anew.
    (mark ? table_.row(*mark) : EntryView{}).assignTo(form_.strings());
    form_.showForm();
}

// Sorting exchanges texts between positions, so every row may have changed but none moved.
void TrackerCommands::headingClick(EntryField column)
{
    form_.readForm();
    const RowChange changed{RowChange::Kind::Changed, 0, table_.count()};
    window_.rowsChanging(changed);
    table_.sortByColumn(column);
    window_.rowsChanged(changed);
    form_.setCount(table_.count());
    form_.showForm();
}

void TrackerCommands::measureChanged()
{
    columnWidths_.remeasure();
    fitColumns();
}

void TrackerCommands::fitColumns()
{
    std::array<int, kEntryFieldCount> widths{};
    for (std::size_t column = 0; column < kEntryFieldCount; ++column)
        widths[column] = columnWidths_.widest(static_cast<EntryField>(column));
    window_.fitColumns(widths);
}

// Saving holds the form's display, so the rows it passes are never shown.
bool TrackerCommands::showsPassingRecords() const
{
    return false;
}

void TrackerCommands::finished()
{
    form_.clearForm();
}

bool TrackerCommands::confirmReplace(ReplaceReason reason)
{
    const std::string file = kDataFileName;
    const std::string problem = reason == ReplaceReason::ChangedSinceLoad
        ? file + " has been changed by another program since it was loaded."
        : file + " could not be read completely.";
    saveDeclined_ = window_.ask(problem + "\r\nDo you want to replace it with this list?",
                                MessageIcon::Exclamation, Answer::No)
        != Answer::Yes;
    return !saveDeclined_;
}
