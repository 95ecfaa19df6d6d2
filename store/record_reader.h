#pragma once

#include "data_file_client.h"

#include <array>
#include <string>
#include <string_view>

// Turns the bytes of a data file into records, line by line, through the client's current
// record, or, for a client that shows no record as it passes, as views of the bytes read.
// Bytes may arrive in pieces of any size; those after the last line end are ignored.
class RecordReader {
public:
    explicit RecordReader(DataFileClient& client);

    // Where it throws, the bytes must stay as they are until finish().
    void feed(std::string_view bytes);
    // The end of the file: adds the record still being read and empties the current record.
    void finish();
    // The bytes fed end before a line that starts a record: adds the record read last where
    // it has a name, and says whether it had; a nameless one's texts run on into the next.
    bool endRecordIfNamed();

private:
    void processLine(std::string_view line);
    void setText(EntryField field, std::string_view value);
    void addCurrentIfNamed();
    void keepRecord();

    DataFileClient& client_;
    const bool passing_;  // the record is read into record_, not into the client's
    // The record being read, as views of the piece being read or of kept_; keepRecord() copies
    // those of the piece into kept_ before the piece goes.
    std::array<std::string_view, kEntryFieldCount> record_{};
    Entry kept_;
    std::string partialLine_;  // the start of a line that continues in the next piece
    bool atFirstLine_ = true;
};
