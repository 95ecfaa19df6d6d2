#pragma once

#include "entry.h"
#include "entry_table.h"
#include "entry_view.h"

// Why a save asks before it replaces the data file.
enum class ReplaceReason {
    ChangedSinceLoad,   // another program replaced, rewrote or removed the file since it was read
    NotReadCompletely,  // the load stopped early, or found no record in a file that has bytes
};

// The caller of a load or a save. It owns the current record, which the reader and the writer
// fill record by record where the caller shows records as they pass, and is told what happens
// to it so that its display stays current.
class DataFileClient {
public:
    virtual ~DataFileClient() = default;

    virtual Entry& currentRecord() = 0;
    // The current record was filled or changed; only a caller that shows passing records is
    // told.
    virtual void currentRecordChanged() {}
    // Whether the records a load reads and a save writes are shown as they pass through the
    // current record. A caller that shows none spares every record that copy: a load hands
    // each record over as it lies in the file, and a save formats each row where it is stored.
    virtual bool showsPassingRecords() const { return true; }
    // The reader completed a named record (the current record, where records are shown as
    // they pass): insert it as the new row 0 and empty the current record. Every caller that
    // loads must; one that only saves (the window, whose file is loaded by another) need not.
    virtual void addRecord(const EntryView&) {}
    // Records read from a later part of the file on another thread, the table's bottom row
    // first read, all after those added so far: insert them as addRecord would, one by one.
    // Where this throws, the rows stay in the table given.
    virtual void addRecords(EntryTable&& rows)
    {
        for (std::size_t i = rows.count(); i-- > 0;)
            addRecord(rows.row(i));
    }
    // A row that the later part's reading stored in its table, on that part's thread; it stays
    // where it is when addRecords takes the table.
    virtual void laterRowStored(RowArena::Row) {}
    // Loading or saving is over.
    virtual void finished() = 0;
    // The load stopped before the end of the file (a read error, or memory ran out).
    virtual void loadStoppedEarly() {}
    // Whether the save may replace the file all the same.
    virtual bool confirmReplace(ReplaceReason reason) = 0;
};
