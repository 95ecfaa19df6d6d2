#pragma once

#include "column_widths.h"
#include "data_file_client.h"
#include "entry.h"
#include "entry_form.h"
#include "tracker_window.h"

#include <cstddef>

class DataFile;
class DataFileLoad;
class EntryTable;
class TextMeasure;

// What the main window does, without the window: each event the window forwards is carried
// out over the form, the table and its data file, and every effect the user sees is a call on
// the window. The data file's current record is the form's strings.
class TrackerCommands : private DataFileClient {
public:
    // The load may still be running; initialise() ends it.
    TrackerCommands(DataFileLoad& load, TrackerWindow& window, const TextMeasure& measure);
    ~TrackerCommands() override;

    // Ends the load, shows the table and an empty form; call once, when the window is built.
    void initialise();
    // The window is on the screen.
    void shown();

    void fieldEdited(EntryField field) { form_.fieldEdited(field); }
    void rowSelected(std::size_t row);

    void add();
    void update();
    void deleteEntry();
    void clear();
    bool save();  // whether the file was written
    void quit();
    void cancel();
    void go();
    void help();
    void rowClick();
    void headingClick(EntryField column);
    // The cells' font changed (the window moved to a screen of another scale).
    void measureChanged();

private:
    void fitColumns();

    Entry& currentRecord() override { return form_.strings(); }
    bool showsPassingRecords() const override;
    void finished() override;
    bool confirmReplace(ReplaceReason reason) override;

    DataFileLoad& load_;
    EntryTable& table_;
    DataFile& dataFile_;
    TrackerWindow& window_;
    EntryForm form_;
    ColumnWidths columnWidths_;
    bool saveDeclined_ = false;  // the user answered No to replacing the file
};
