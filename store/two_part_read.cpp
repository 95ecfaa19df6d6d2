#include "two_part_read.h"

#include "input_file.h"
#include "record_reader.h"
#include "table_client.h"

#include <exception>
#include <new>
#include <string_view>
#include <thread>
#include <utility>

namespace {

constexpr std::uint64_t kSearchedBytes = 1 << 20;

// Where a record starts after from such that the record before it surely has a name: the line
// before that starts with "NAME" is "NAME=" and a value. The part after then reads alone as it
// reads after the part before, and its rows can go to the client as they are read.
std::optional<std::uint64_t> recordStartAfter(InputFile& file, std::uint64_t from)
{
    // The first piece read stays valid as long as the file object lives.
    std::string_view searched;
    file.read(
        [&searched](std::string_view piece) {
            if (searched.empty())
                searched = piece;
        },
        from, from + kSearchedBytes);
    bool namedBefore = false;
    for (auto at = searched.find("\nNAME"); at != std::string_view::npos;
         at = searched.find("\nNAME", at + 1)) {
        const bool startsRecord = at + 5 < searched.size() && searched[at + 5] == '=';
        if (startsRecord && namedBefore)
            return from + at + 1;
        const auto lineEnd = searched.find('\n', at + 1);
        if (lineEnd == std::string_view::npos)
            break;
        std::string_view line = searched.substr(at + 1, lineEnd - at - 1);
        for (int lineEndCr = 0; lineEndCr < 2 && line.ends_with('\r'); ++lineEndCr)
            line.remove_suffix(1);
        namedBefore = startsRecord && line.size() > 5;
    }
    return std::nullopt;
}

// Inserts the later part's records into a table of its own and tells the client of each row
// stored there.
class LaterPartClient final : public DataFileClient {
public:
    LaterPartClient(EntryTable& table, DataFileClient& client)
        : table_(table), inserter_(table), client_(client)
    {
    }

    Entry& currentRecord() override { return inserter_.currentRecord(); }
    bool showsPassingRecords() const override { return false; }
    void addRecord(const EntryView& record) override
    {
        inserter_.addRecord(record);
        client_.laterRowStored(table_.stored(0));
    }
    void finished() override {}
    bool confirmReplace(ReplaceReason) override { return false; }

private:
    EntryTable& table_;
    TableClient inserter_;
    DataFileClient& client_;
};

struct LaterPart {
    EntryTable table;
    bool whole = false;
    std::exception_ptr failure;
};

void readLaterPart(InputFile& file, std::uint64_t from, DataFileClient& owner, LaterPart& part)
{
    try {
        LaterPartClient client(part.table, owner);
        RecordReader reader(client);
        try {
            part.whole = file.read([&reader](std::string_view piece) { reader.feed(piece); }, from);
        } catch (const std::bad_alloc&) {
        }
        // As at the end of a file read as a whole, the record read last is kept.
        reader.finish();
    } catch (const std::bad_alloc&) {
        part.whole = false;
    } catch (...) {
        part.failure = std::current_exception();
    }
}

}  // namespace

std::optional<bool> readInTwoParts(InputFile& file, DataFileClient& client, std::uint64_t from)
{
    const std::optional<std::uint64_t> split = recordStartAfter(file, from);
    if (!split)
        return std::nullopt;
    LaterPart later;
    std::jthread thread;  // joined before later goes, whatever happens here
    try {
        thread = std::jthread(
            [&file, &client, &later, start = *split] { readLaterPart(file, start, client, later); });
    } catch (const std::exception&) {  // no thread, or no memory for one
        return std::nullopt;
    }

    RecordReader reader(client);
    bool whole = false;
    std::exception_ptr failure;  // thrown once the later part's rows are the client's
    try {
        whole = file.read([&reader](std::string_view piece) { reader.feed(piece); }, 0, *split);
    } catch (const std::bad_alloc&) {
    } catch (...) {
        failure = std::current_exception();
    }
    // The record before the split has a name, unless the file changed while it was read or
    // reading it stopped; either way the later part's rows follow, and the client takes them
    // even then, as it may have been shown them already.
    try {
        reader.endRecordIfNamed();
    } catch (const std::bad_alloc&) {
        whole = false;
    }
    thread.join();
    try {
        client.addRecords(std::move(later.table));
        whole = whole && later.whole;
    } catch (const std::bad_alloc&) {
        whole = false;
    }
    if (!failure)
        failure = later.failure;
    if (failure)
        std::rethrow_exception(failure);
    try {
        reader.finish();
    } catch (const std::bad_alloc&) {
        whole = false;
    }
    return whole;
}
