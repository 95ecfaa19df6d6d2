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
// Each prefix padded to one fixed size, so that it is written by one move of that size.
constexpr std::size_t kPrefixRoom = 16;
constexpr std::array<std::array<char, kPrefixRoom>, kEntryFieldCount> kPaddedPrefixes = [] {
    std::array<std::array<char, kPrefixRoom>, kEntryFieldCount> padded{};
    for (std::size_t field = 0; field < kEntryFieldCount; ++field)
        std::copy(kLinePrefixes[field].begin(), kLinePrefixes[field].end(),
                  padded[field].begin());
    return padded;
}();

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

    // Room for count bytes written in place, or null where a chunk cannot hold them.
    char* reserve(std::size_t count)
    {
        if (kChunkSize - used_ < count)
            flush();
        return kChunkSize - used_ < count ? nullptr : chunk_.get() + used_;
    }

    void advanceTo(const char* end) { used_ = static_cast<std::size_t>(end - chunk_.get()); }

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

// Whether a value before Notes holds a line feed. A stored row's texts lie back to back, so
// one search covers all five.
bool hasLineFeed(const EntryView& record)
{
    if (const auto beforeNotes = record.joined(kNotes))
        return beforeNotes->find('\n') != std::string_view::npos;
    const auto& texts = record.texts;
    return std::any_of(texts.begin(), texts.begin() + kNotes,
                       [](std::string_view text) { return text.find('\n') != text.npos; });
}

// A record without line feeds before its Notes, written straight into the chunk.
bool appendPlainRecord(ChunkedOutput& out, const EntryView& record, bool notesEncoded)
{
    std::size_t size = kEntryFieldCount * kPrefixRoom + 2;
    for (const std::string_view text : record.texts)
        size += text.size();
    char* at = out.reserve(size);
    if (at == nullptr || hasLineFeed(record))
        return false;
    for (std::size_t field = 0; field < kEntryFieldCount; ++field) {
        std::memcpy(at, kPaddedPrefixes[field].data(), kPrefixRoom);
        at += kLinePrefixes[field].size();
        const std::string_view text = record.texts[field];
        if (field == kNotes && !notesEncoded)
            encodeNotesInto(at, text.data(), text.size());
        else if (!text.empty())
            std::memcpy(at, text.data(), text.size());
        at += text.size();
    }
    std::memcpy(at, "\r\n", 2);
    out.advanceTo(at + 2);
    return true;
}

void appendRecord(ChunkedOutput& out, const EntryView& record, bool notesEncoded)
{
    if (appendPlainRecord(out, record, notesEncoded))
        return;
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
    const bool shown = client.showsPassingRecords();
    ChunkedOutput out(sink);
    out.append(kCreatorLine);
    for (std::size_t i = 0; i < table.count() && !out.refused(); ++i) {
        if (shown) {
            Entry& current = client.currentRecord();
            table.row(i).assignTo(current);
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
