#pragma once

#include "data_file_client.h"

#include <string>
#include <string_view>

// Turns the bytes of a data file into records, line by line, through the client's current
// record. Bytes may arrive in pieces of any size; those after the last line end are ignored.
class RecordReader {
public:
    explicit RecordReader(DataFileClient& client) : client_(client) {}

    void feed(std::string_view bytes);
    // The end of the file: adds the record still being read and empties the current record.
    void finish();

private:
    void processLine(std::string_view line);
    void addCurrentIfNamed();

    DataFileClient& client_;
    std::string partialLine_;  // the start of a line that continues in the next piece
    bool atFirstLine_ = true;
};
