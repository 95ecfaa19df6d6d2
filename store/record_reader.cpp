#include "record_reader.h"

#include "notes_encoding.h"

#include <cstring>
#include <optional>
#include <utility>

namespace {

// The six keys, told apart by their length first: each line of the file is looked up here.
std::optional<EntryField> fieldForKey(std::string_view key)
{
    switch (key.size()) {
    case 3:
        if (key == "URL")
            return EntryField::Url;
        break;
    case 4:
        if (key == "NAME")
            return EntryField::Name;
        break;
    case 5:
        if (key == "NOTES")
            return EntryField::Notes;
        if (key == "OTHER")
            return EntryField::Other;
        break;
    case 8:
        if (key == "USERNAME")
            return EntryField::Username;
        if (key == "PASSWORD")
            return EntryField::Password;
        break;
    default:
        break;
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
    if (!line.empty() && line.back() == '\r')
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
