#include "round_trip_check.h"

#include "data_file.h"
#include "memory_file.h"
#include "record_reader.h"
#include "table_client.h"

#include <cstdint>
#include <fstream>

namespace {

// Piece sizes vary with the input, so that line ends and CR LF pairs fall on piece boundaries.
EntryTable loadInPieces(std::string_view bytes)
{
    EntryTable table;
    TableClient client(table);
    RecordReader reader(client);
    std::uint64_t state = 0x9E3779B97F4A7C15u ^ bytes.size();
    while (!bytes.empty()) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        const std::size_t size = 1 + state % (state & 0x100 ? 4096 : 5);
        const std::string_view piece = bytes.substr(0, size);
        reader.feed(piece);
        bytes.remove_prefix(piece.size());
    }
    reader.finish();
    return table;
}

EntryTable loadFromFile(std::string_view bytes, const std::filesystem::path& file)
{
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    EntryTable table;
    DataFile(table, file).load();
    return table;
}

bool sameRows(const EntryTable& a, const EntryTable& b)
{
    if (a.count() != b.count())
        return false;
    for (std::size_t i = 0; i < a.count(); ++i) {
        if (!(a.row(i) == b.row(i)))
            return false;
    }
    return true;
}

// The changes a save and a load make. The file stores each CR of Notes as a grave accent, and
// reading turns a grave accent followed by a tilde into CR LF: a CR of Notes that is not part of
// CR LF (only a foreign file's NOTES line can give one) thus comes back as a grave accent, or as
// CR LF where a tilde follows it. A one-line value that ends in CR (again only from a foreign
// file) loses that CR, as the line end written after it takes it along when read.
std::string notesAsStored(const std::string& notes)
{
    std::string stored;
    for (std::size_t at = 0; at < notes.size(); ++at) {
        const bool loneCr =
            notes[at] == '\r' && (at + 1 == notes.size() || notes[at + 1] != '\n');
        stored += loneCr ? '`' : notes[at];
    }
    std::string read;
    for (std::size_t at = 0; at < stored.size(); ++at) {
        if (stored[at] == '`' && at + 1 < stored.size() && stored[at + 1] == '~') {
            read += "\r\n";
            ++at;
        } else {
            read += stored[at];
        }
    }
    return read;
}

bool endsInCr(const Entry& entry)
{
    for (std::size_t field = 0; field < kEntryFieldCount - 1; ++field) {
        if (entry.texts[field].ends_with('\r'))
            return true;
    }
    return false;
}

EntryTable asStored(const EntryTable& table)
{
    EntryTable stored;
    for (std::size_t i = table.count(); i-- > 0;) {
        Entry entry = table.row(i);
        for (std::size_t field = 0; field < kEntryFieldCount - 1; ++field) {
            if (entry.texts[field].ends_with('\r'))
                entry.texts[field].pop_back();
        }
        entry[EntryField::Notes] = notesAsStored(entry[EntryField::Notes]);
        stored.insertFirst(std::move(entry));
    }
    return stored;
}

bool anyRow(const EntryTable& table, bool (*test)(const Entry&))
{
    for (std::size_t i = 0; i < table.count(); ++i) {
        if (test(table.row(i)))
            return true;
    }
    return false;
}

// Such a record is read back nameless, and its fields go to the next record.
bool nameIsLoneCr(const Entry& entry)
{
    return entry[EntryField::Name] == "\r";
}

}  // namespace

std::string checkRoundTrip(std::string_view fileBytes, const std::filesystem::path& scratchFile)
{
    const EntryTable first = tableOf(fileBytes);
    if (!sameRows(loadInPieces(fileBytes), first))
        return "loading in pieces gave another table than loading at once";
    if (!sameRows(loadFromFile(fileBytes, scratchFile), first))
        return "DataFile::load gave another table than the reader in memory";
    for (std::size_t i = 0; i < first.count(); ++i) {
        if (first.row(i)[EntryField::Name].empty())
            return "row " + std::to_string(i) + " has an empty Name";
    }

    if (anyRow(first, nameIsLoneCr))
        return {};

    const std::string firstSave = fileBytesOf(first);
    EntryTable second = tableOf(firstSave);
    second.reverse();  // loading puts the records of a file in reverse order
    if (!sameRows(second, asStored(first)))
        return "load, save, load gave another table than the first load";

    const std::string secondSave = fileBytesOf(second);
    EntryTable third = tableOf(secondSave);
    third.reverse();
    if (!sameRows(third, asStored(second)))
        return "two saves and loads gave another table than the first load";
    if (!anyRow(first, endsInCr) && secondSave != firstSave)
        return "saving the table loaded back gave other bytes than the first save";
    return {};
}
