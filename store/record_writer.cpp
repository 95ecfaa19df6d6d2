#include "record_writer.h"

#include "notes_encoding.h"

#include <array>
#include <string>

namespace {

constexpr std::string_view kCreatorLine = "CREATOR=Nimbrel 1.0";
constexpr std::size_t kChunkSize = 1 << 20;
constexpr std::size_t kNotes = static_cast<std::size_t>(EntryField::Notes);

constexpr std::array<std::string_view, kEntryFieldCount> kLinePrefixes{
    "\r\nNAME=", "\r\nUSERNAME=", "\r\nPASSWORD=", "\r\nURL=", "\r\nOTHER=", "\r\nNOTES=",
};

// Line feeds within a value are written as line ends, as a text-mode stream writes them.
void appendValue(std::string& out, std::string_view value)
{
    std::size_t lineFeed = value.find('\n');
    while (lineFeed != std::string_view::npos) {
        out.append(value.substr(0, lineFeed));
        out.append("\r\n");
        value.remove_prefix(lineFeed + 1);
        lineFeed = value.find('\n');
    }
    out.append(value);
}

// Notes come encoded, so they hold no line feed.
void appendRecord(std::string& out, const EntryView& record, bool notesEncoded)
{
    for (std::size_t field = 0; field < kNotes; ++field) {
        out.append(kLinePrefixes[field]);
        appendValue(out, record.texts[field]);
    }
    out.append(kLinePrefixes[kNotes]);
    if (notesEncoded)
        out.append(record.texts[kNotes]);
    else
        appendEncodedNotes(out, record.texts[kNotes]);
    out.append("\r\n");
}

}  // namespace

bool writeRecords(const EntryTable& table, DataFileClient& client, const ByteSink& sink)
{
    const bool shown = client.showsSavedRows();
    std::string out;
    out.reserve(kChunkSize + 4096);
    out.append(kCreatorLine);
    for (std::size_t i = 0; i < table.count(); ++i) {
        if (shown) {
            Entry& current = client.currentRecord();
            const EntryView row = table.row(i);
            for (std::size_t field = 0; field < kEntryFieldCount; ++field)
                current.texts[field].assign(row.texts[field]);
            client.currentRecordChanged();
            encodeNotes(current[EntryField::Notes]);
            appendRecord(out, current, true);
        } else {
            appendRecord(out, table.row(i), false);
        }
        if (out.size() >= kChunkSize) {
            if (!sink(out))
                return false;
            out.clear();
        }
    }
    return table.count() == 0 || sink(out);
}
