#include "record_reader.h"

#include "notes_encoding.h"

#include <array>
#include <cstring>
#include <optional>
#include <utility>

namespace {

struct FieldKey {
    std::string_view key;
    EntryField field;
};

constexpr std::array<FieldKey, kEntryFieldCount> kFieldKeys{{
    {"NAME", EntryField::Name},
    {"USERNAME", EntryField::Username},
    {"PASSWORD", EntryField::Password},
    {"URL", EntryField::Url},
    {"OTHER", EntryField::Other},
    {"NOTES", EntryField::Notes},
}};

std::optional<EntryField> fieldForKey(std::string_view key)
{
    for (const auto& [name, field] : kFieldKeys) {
        if (key == name)
            return field;
    }
    return std::nullopt;
}

}  // namespace

void RecordReader::feed(std::string_view bytes)
{
    while (!bytes.empty()) {
        const auto* lineEnd =
            static_cast<const char*>(std::memchr(bytes.data(), '\n', bytes.size()));
        if (!lineEnd) {
            partialLine_.append(bytes);
            return;
        }
        const auto length = static_cast<std::size_t>(lineEnd - bytes.data());
        if (partialLine_.empty()) {
            processLine(bytes.substr(0, length));
        } else {
            partialLine_.append(bytes.substr(0, length));
            processLine(partialLine_);
            partialLine_.clear();
        }
        bytes.remove_prefix(length + 1);
    }
}

void RecordReader::finish()
{
    addCurrentIfNamed();
    client_.currentRecord() = Entry{};
    partialLine_.clear();
}

void RecordReader::processLine(std::string_view line)
{
    const bool firstLine = std::exchange(atFirstLine_, false);
    // A text-mode read turns the CR LF at the end into LF, and the line end then goes with one
    // CR left before it: a line ending CR CR LF loses both.
    for (int lineEndCr = 0; lineEndCr < 2 && line.ends_with('\r'); ++lineEndCr)
        line.remove_suffix(1);

    const auto equals = line.find('=');
    const auto key = line.substr(0, equals);
    const auto value = equals == std::string_view::npos ? std::string_view{}
                                                         : line.substr(equals + 1);
    const auto field = fieldForKey(key);
    if (!field)
        return;

    if (*field == EntryField::Name && !firstLine)
        addCurrentIfNamed();
    Entry& current = client_.currentRecord();
    std::string& text = current[*field];
    text.assign(value);
    if (*field == EntryField::Notes)
        decodeNotes(text);
    if (!current[EntryField::Name].empty())
        client_.currentRecordChanged();
}

void RecordReader::addCurrentIfNamed()
{
    if (!client_.currentRecord()[EntryField::Name].empty())
        client_.addCurrentRecord();
}
