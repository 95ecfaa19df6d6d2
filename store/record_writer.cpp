#include "record_writer.h"

#include "notes_encoding.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr std::string_view kCreatorLine = "CREATOR=Nimbrel 1.0";
constexpr std::size_t kChunkSize = 1 << 20;
constexpr std::size_t kNotes = static_cast<std::size_t>(EntryField::Notes);

constexpr std::array<std::string_view, kEntryFieldCount> kLinePrefixes{
    "\r\nNAME=", "\r\nUSERNAME=", "\r\nPASSWORD=", "\r\nURL=", "\r\nOTHER=", "\r\nNOTES=",
};

// Gathers the file's bytes into pieces of kChunkSize for the sink; after a refusal it offers
// nothing more.
class ChunkedOutput {
public:
    explicit ChunkedOutput(const ByteSink& sink)
        : sink_(sink), chunk_(std::make_unique_for_overwrite<char[]>(kChunkSize))
    {
    }

    bool refused() const { return refused_; }

    void append(std::string_view bytes)
    {
        copy(bytes, [](char* out, const char* in, std::size_t count) {
            std::memcpy(out, in, count);
        });
    }

    // Notes are encoded as they are copied.
    void appendEncodedNotes(std::string_view notes)
    {
        copy(notes, encodeNotesInto);
    }

    // Line feeds within a value are written as line ends, as a text-mode stream writes them.
    void appendValue(std::string_view value)
    {
        for (auto lineFeed = value.find('\n'); lineFeed != std::string_view::npos;
             lineFeed = value.find('\n')) {
            append(value.substr(0, lineFeed));
            append("\r\n");
            value.remove_prefix(lineFeed + 1);
        }
        append(value);
    }

    void flush()
    {
        if (used_ > 0 && !refused_)
            refused_ = !sink_({chunk_.get(), used_});
        used_ = 0;
    }

private:
    template <typename Copy>
    void copy(std::string_view bytes, Copy copyBytes)
    {
        while (!bytes.empty()) {
            if (used_ == kChunkSize)
                flush();
            const std::size_t part = std::min(bytes.size(), kChunkSize - used_);
            copyBytes(chunk_.get() + used_, bytes.data(), part);
            used_ += part;
            bytes.remove_prefix(part);
        }
    }

    const ByteSink& sink_;
    std::unique_ptr<char[]> chunk_;
    std::size_t used_ = 0;
    bool refused_ = false;
};

void appendRecord(ChunkedOutput& out, const EntryView& record, bool notesEncoded)
{
    for (std::size_t field = 0; field < kNotes; ++field) {
        out.append(kLinePrefixes[field]);
        out.appendValue(record.texts[field]);
    }
    out.append(kLinePrefixes[kNotes]);
    if (notesEncoded)
        out.append(record.texts[kNotes]);
    else
        out.appendEncodedNotes(record.texts[kNotes]);
    out.append("\r\n");
}

}  // namespace

bool writeRecords(const EntryTable& table, DataFileClient& client, const ByteSink& sink)
{
    if (table.count() == 0)
        return true;
    const bool shown = client.showsSavedRows();
    ChunkedOutput out(sink);
    out.append(kCreatorLine);
    for (std::size_t i = 0; i < table.count() && !out.refused(); ++i) {
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
    }
    out.flush();
    return !out.refused();
}
