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

// A record starts at a line "NAME=" (the reader also takes "NAME" alone, never chosen here).
constexpr std::string_view kRecordStart = "\nNAME=";
constexpr std::uint64_t kSearchedBytes = 1 << 20;

std::optional<std::uint64_t> recordStartAfter(InputFile& file, std::uint64_t from)
{
    std::optional<std::uint64_t> start;
    std::uint64_t at = from;
    file.read(
        [&](std::string_view piece) {
            const auto found = piece.find(kRecordStart);
            if (!start && found != std::string_view::npos)
                start = at + found + 1;
            at += piece.size();
        },
        from, from + kSearchedBytes);
    return start;
}

struct LaterPart {
    EntryTable table;
    bool whole = false;
    std::exception_ptr failure;
};

void readLaterPart(InputFile& file, std::uint64_t from, LaterPart& part)
{
    try {
        TableClient client(part.table);
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
        thread = std::jthread([&file, &later, start = *split] { readLaterPart(file, start, later); });
    } catch (const std::exception&) {  // no thread, or no memory for one
        return std::nullopt;
    }

    RecordReader reader(client);
    const auto feed = [&reader](std::string_view piece) { reader.feed(piece); };
    bool whole = false;
    try {
        whole = file.read(feed, 0, *split);
        thread.join();
        if (later.failure)
            std::rethrow_exception(later.failure);
        if (whole && reader.endRecordIfNamed()) {
            client.addRecords(std::move(later.table));
            whole = later.whole;
        } else if (whole) {
            // The nameless record's texts run on into the later part, which is read again here.
            whole = file.read(feed, *split);
        }
    } catch (const std::bad_alloc&) {
        whole = false;
    }
    try {
        reader.finish();
    } catch (const std::bad_alloc&) {
        whole = false;
    }
    return whole;
}
