#include "record_reader.h"

#include "byte_find.h"
#include "notes_encoding.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

namespace {

// Whether the line's key, the text before its first "=" (or the whole line), is this key; if
// so the value is what follows the "=".
template <std::size_t size>
bool hasKey(std::string_view line, const char (&key)[size], std::string_view& value)
{
    constexpr std::size_t length = size - 1;
    if (line.size() < length || std::memcmp(line.data(), key, length) != 0
        || (line.size() > length && line[length] != '='))
        return false;
    value = line.substr(std::min(length + 1, line.size()));
    return true;
}

// Every line of the file is looked up here, so the keys are told apart by their first letter.
std::optional<EntryField> fieldOfLine(std::string_view line, std::string_view& value)
{
    if (line.empty())
        return std::nullopt;
    switch (line.front()) {
    case 'N':
        if (hasKey(line, "NAME", value))
            return EntryField::Name;
        if (hasKey(line, "NOTES", value))
            return EntryField::Notes;
        break;
    case 'U':
        if (hasKey(line, "USERNAME", value))
            return EntryField::Username;
        if (hasKey(line, "URL", value))
            return EntryField::Url;
        break;
    case 'P':
        if (hasKey(line, "PASSWORD", value))
            return EntryField::Password;
        break;
    case 'O':
        if (hasKey(line, "OTHER", value))
            return EntryField::Other;
        break;
    default:
        break;
    }
    return std::nullopt;
}

}  // namespace

RecordReader::RecordReader(DataFileClient& client)
    : client_(client), passing_(!client.showsPassingRecords())
{
}

void RecordReader::feed(std::string_view bytes)
{
    while (!bytes.empty()) {
        const char* lineEnd = findByte(bytes.data(), bytes.data() + bytes.size(), '\n');
        if (!lineEnd) {
            partialLine_.append(bytes);
            break;
        }
        const auto length = static_cast<std::size_t>(lineEnd - bytes.data());
        if (partialLine_.empty()) {
            processLine(bytes.substr(0, length));
        } else {
            partialLine_.append(bytes.substr(0, length));
            processLine(partialLine_);
            keepRecord();
            partialLine_.clear();
        }
        bytes.remove_prefix(length + 1);
    }
    keepRecord();
}

void RecordReader::finish()
{
    addCurrentIfNamed();
    client_.currentRecord() = Entry{};
    record_ = {};
    kept_ = Entry{};
    partialLine_.clear();
}

bool RecordReader::endRecordIfNamed()
{
    const auto name = static_cast<std::size_t>(EntryField::Name);
    const bool named =
        passing_ ? !record_[name].empty() : !client_.currentRecord().texts[name].empty();
    if (named)
        addCurrentIfNamed();
    return named;
}

void RecordReader::processLine(std::string_view line)
{
    const bool firstLine = std::exchange(atFirstLine_, false);
    // Editors that save UTF-8 may put a byte-order mark at the start; it is no part of a key.
    if (firstLine && line.starts_with("\xEF\xBB\xBF"))
        line.remove_prefix(3);
    // A text-mode read turns the CR LF at the end into LF, and the line end then goes with one
    // CR left before it: a line ending CR CR LF loses both.
    for (int lineEndCr = 0; lineEndCr < 2 && line.ends_with('\r'); ++lineEndCr)
        line.remove_suffix(1);

    std::string_view value;
    const auto field = fieldOfLine(line, value);
    if (!field)
        return;

    if (*field == EntryField::Name && !firstLine)
        addCurrentIfNamed();
    if (passing_) {
        setText(*field, value);
        return;
    }
    Entry& current = client_.currentRecord();
    std::string& text = current[*field];
    text.assign(value);
    if (*field == EntryField::Notes)
        decodeNotes(text);
    if (!current[EntryField::Name].empty())
        client_.currentRecordChanged();
}

// Notes with line breaks are decoded into a copy; other texts stay where they were read.
void RecordReader::setText(EntryField field, std::string_view value)
{
    const auto index = static_cast<std::size_t>(field);
    if (field == EntryField::Notes && hasEncodedLineBreak(value)) {
        std::string& notes = kept_.texts[index];
        notes.assign(value);
        decodeNotes(notes);
        value = notes;
    }
    record_[index] = value.empty() ? std::string_view() : value;  // nothing to keep
}

void RecordReader::addCurrentIfNamed()
{
    if (passing_) {
        if (!record_[static_cast<std::size_t>(EntryField::Name)].empty()) {
            client_.addRecord(EntryView(record_));
            record_ = {};
        }
        return;
    }
    Entry& current = client_.currentRecord();
    if (!current[EntryField::Name].empty())
        client_.addRecord(current);
}

// A nameless record's texts carry over to the next record, so the record being read may
// outlive the piece it was read from.
void RecordReader::keepRecord()
{
    for (std::size_t i = 0; i < kEntryFieldCount; ++i) {
        if (!record_[i].empty() && record_[i].data() != kept_.texts[i].data()) {
            kept_.texts[i].assign(record_[i]);
            record_[i] = kept_.texts[i];
        }
    }
}
