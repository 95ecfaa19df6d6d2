#pragma once

#include "entry.h"

// The caller of a load or a save. It owns the current record that the reader fills and the
// writer fills row by row, and is told what happens to it so that its display stays current.
class DataFileClient {
public:
    virtual ~DataFileClient() = default;

    virtual Entry& currentRecord() = 0;
    // The current record was filled or changed.
    virtual void currentRecordChanged() = 0;
    // Whether the rows a save writes are shown; a caller that shows nothing spares the save
    // a copy of every row into the current record.
    virtual bool showsSavedRows() const { return true; }
    // The reader completed the current record: insert it as the new row 0 and empty it.
    virtual void addCurrentRecord() = 0;
    // Loading or saving is over.
    virtual void finished() = 0;
};
