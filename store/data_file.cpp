#include "data_file.h"

#include "content_hash.h"
#include "input_file.h"
#include "record_reader.h"
#include "record_writer.h"
#include "safe_file.h"
#include "table_client.h"
#include "two_part_read.h"

#include <memory>
#include <new>

namespace {

// Below this a second thread gains nothing worth its start (10,000 records take about 2 MiB).
constexpr std::int64_t kTwoPartsFrom = std::int64_t{16} << 20;

}  // namespace

DataFile::DataFile(EntryTable& table, std::filesystem::path path, DataFileClient* client)
    : table_(table),
      path_(std::move(path)),
      ownClient_(client ? nullptr : std::make_unique<TableClient>(table)),
      client_(client ? client : ownClient_.get())
{
}

DataFile::~DataFile() = default;

void DataFile::load(IfMissing ifMissing)
{
    known_.reset();
    knownContent_.reset();
    notReadCompletely_ = false;
    missing_ = false;
    bool whole = false;
    try {
        whole = readFile(ifMissing);
    } catch (const std::bad_alloc&) {
        // Memory ran out before reading could start; the file is there all the same.
    }
    notReadCompletely_ = notReadCompletely_ || !whole;
    client_->finished();
    if (!whole)
        client_->loadStoppedEarly();
}

// Returns false where a file is there but was not read to its end.
bool DataFile::readFile(IfMissing ifMissing)
{
    SafeFile::removeAbandoned(path_);
    InputFile file(path_, ifMissing == IfMissing::Create);
    switch (file.state()) {
    case InputFile::State::Missing:
        missing_ = ifMissing == IfMissing::Leave;
        return true;
    case InputFile::State::NotRegular:
        return true;  // not a data file, and never replaced by a save
    case InputFile::State::Unreadable:
        return false;
    case InputFile::State::Open:
        break;
    }
    known_ = file.identity();
    const std::size_t rowsBefore = table_.count();
    const bool whole = readRecords(file);
    notReadCompletely_ = known_ && known_->size > 0 && table_.count() == rowsBefore;
    return whole;
}

// Returns whether the file was read to its end; the records read before a read error or
// before memory ran out are kept.
bool DataFile::readRecords(InputFile& file)
{
    const bool hashed = known_ && known_->hasCoarseTimes();
    // A hash takes the bytes in their order, and records shown as they pass come one by one.
    if (!hashed && !client_->showsPassingRecords() && known_ && known_->size >= kTwoPartsFrom) {
        if (const std::optional<bool> whole = readInTwoParts(file, *client_, known_->size / 2))
            return *whole;
    }
    RecordReader reader(*client_);
    std::optional<ContentHash> content;
    if (hashed)
        content.emplace();
    bool whole = false;
    try {
        whole = file.read([&](std::string_view piece) {
            if (content)
                content->add(piece);
            reader.feed(piece);
        });
    } catch (const std::bad_alloc&) {
    }
    // The record read last is kept as at the end of the file, whose last piece it may lie in.
    try {
        reader.finish();
    } catch (const std::bad_alloc&) {
        whole = false;
    }
    if (whole && content)
        knownContent_ = content->value();
    return whole;
}

bool DataFile::save()
{
    SafeFile file(path_);
    bool saved = false;
    // Where the file's times are coarse, what is written is remembered as its hash.
    std::optional<ContentHash> content;
    if (file.open() && mayReplace(file)) {
        if (!file.existing() || file.existing()->hasCoarseTimes())
            content.emplace();
        saved = writeRecords(table_, *client_,
                             [&](std::string_view bytes) {
                                 if (content)
                                     content->add(bytes);
                                 return file.write(bytes);
                             })
            && file.commit();
    }
    // A failed write into the file itself leaves it damaged, but as this program's own.
    if (file.committed()) {
        known_ = file.committed();
        knownContent_.reset();
        if (saved && content && known_->hasCoarseTimes())
            knownContent_ = content->value();
        notReadCompletely_ = false;
    }
    client_->finished();
    return saved;
}

// A file that was never there holds nothing that a save could lose; one that another program
// removed since it was read counts as changed.
bool DataFile::mayReplace(const SafeFile& file)
{
    if (!file.existing())
        return !known_ || client_->confirmReplace(ReplaceReason::ChangedSinceLoad);
    if (known_ && (*file.existing() != *known_ || !stillHoldsKnownContent()))
        return client_->confirmReplace(ReplaceReason::ChangedSinceLoad);
    return !notReadCompletely_ || client_->confirmReplace(ReplaceReason::NotReadCompletely);
}

// Where the times cannot tell a change within their second, the bytes are compared instead.
bool DataFile::stillHoldsKnownContent() const
{
    if (!knownContent_)
        return true;
    try {
        InputFile file(path_, false);
        ContentHash content;
        return file.state() == InputFile::State::Open && file.identity() == known_
            && file.read([&content](std::string_view piece) { content.add(piece); })
            && content.value() == *knownContent_;
    } catch (const std::bad_alloc&) {
        return false;  // what cannot be compared counts as changed
    }
}
