#include "data_file.h"

#include "content_hash.h"
#include "file_place.h"
#include "record_reader.h"
#include "record_writer.h"
#include "safe_file.h"
#include "table_client.h"

#include <cerrno>
#include <chrono>
#include <memory>
#include <new>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kReadChunkSize = 1 << 20;
// A refusal that may pass is tried again this often, for about a second in all.
constexpr int kTries = 10;
constexpr auto kPauseBetweenTries = std::chrono::milliseconds(100);

// Refusals that end by themselves: a lease that a file server holds, a lack of descriptors or
// memory, a device that is busy.
bool mayPass(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR || error == EMFILE
        || error == ENFILE || error == ENOMEM || error == EBUSY || error == EIO
        || error == ETIMEDOUT;
}

FileDescriptor openToRead(const FilePlace& place)
{
    for (int tries = 1;; ++tries) {
        // Non-blocking, so that a FIFO in the file's place cannot hold up the start.
        FileDescriptor file = place.open(O_RDONLY | O_NONBLOCK | O_NOCTTY);
        if (file || tries == kTries || !mayPass(errno))
            return file;
        std::this_thread::sleep_for(kPauseBetweenTries);
    }
}

// Creates the missing data file empty and owner-only, whatever the umask.
FileDescriptor createEmptyFile(const FilePlace& place)
{
    FileDescriptor file = place.open(O_RDONLY | O_CREAT | O_EXCL, 0600);
    if (file)
        ::fchmod(file.get(), 0600);
    return file;
}

// Hands take the file's bytes piece by piece, to its end; false where a read failed. A file
// that keeps answering "try again" fails too, after a while.
template <typename Take>
bool readPieces(int descriptor, char* buffer, Take take)
{
    for (int tries = 0;;) {
        const ssize_t received = ::read(descriptor, buffer, kReadChunkSize);
        if (received < 0 && errno == EINTR)
            continue;
        if (received < 0 && errno == EAGAIN && ++tries < kTries) {
            std::this_thread::sleep_for(kPauseBetweenTries);
            continue;
        }
        if (received <= 0)
            return received == 0;
        tries = 0;
        take(std::string_view(buffer, static_cast<std::size_t>(received)));
    }
}

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
    const std::optional<FilePlace> place = FilePlace::find(path_);
    if (!place)
        return true;  // a save refuses the place as well
    SafeFile::removeAbandoned(*place);
    FileDescriptor file = openToRead(*place);
    if (!file && errno == ENOENT) {
        missing_ = ifMissing == IfMissing::Leave;
        if (missing_)
            return true;
        file = createEmptyFile(*place);
        if (!file)
            return true;  // neither there nor to be made: an empty table
    }
    struct stat status {};
    if (!file || ::fstat(file.get(), &status) != 0)
        return false;
    if (!S_ISREG(status.st_mode))
        return true;  // not a data file, and never replaced by a save
    known_ = identityOf(file.get());
    const std::size_t rowsBefore = table_.count();
    const bool whole = readRecords(file.get());
    notReadCompletely_ = status.st_size > 0 && table_.count() == rowsBefore;
    return whole;
}

// Returns whether the file was read to its end; the records read before a read error or
// before memory ran out are kept.
bool DataFile::readRecords(int descriptor)
{
    RecordReader reader(*client_);
    std::optional<ContentHash> content;
    if (known_ && known_->hasCoarseTimes())
        content.emplace();
    bool whole = false;
    std::unique_ptr<char[]> buffer;  // kept to the end: the record being read may lie in it
    try {
        // Not zeroed first: a small file should not cost touching a whole chunk of memory.
        buffer = std::make_unique_for_overwrite<char[]>(kReadChunkSize);
        whole = readPieces(descriptor, buffer.get(), [&](std::string_view piece) {
            if (content)
                content->add(piece);
            reader.feed(piece);
        });
    } catch (const std::bad_alloc&) {
    }
    // The record read last is kept as at the end of the file.
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

// A file that is gone holds nothing that a save could lose.
bool DataFile::mayReplace(const SafeFile& file)
{
    if (!file.existing())
        return true;
    if (known_ && (*file.existing() != *known_ || !stillHoldsKnownContent()))
        return client_->confirmReplace(ReplaceReason::ChangedSinceLoad);
    return !notReadCompletely_ || client_->confirmReplace(ReplaceReason::NotReadCompletely);
}

// Where the times cannot tell a change within their second, the bytes are compared instead.
bool DataFile::stillHoldsKnownContent() const
{
    if (!knownContent_)
        return true;
    const std::optional<FilePlace> place = FilePlace::find(path_);
    const FileDescriptor file =
        place ? place->open(O_RDONLY | O_NONBLOCK | O_NOCTTY) : FileDescriptor();
    if (!file || identityOf(file.get()) != known_)
        return false;
    ContentHash content;
    try {
        const auto buffer = std::make_unique_for_overwrite<char[]>(kReadChunkSize);
        return readPieces(file.get(), buffer.get(),
                          [&content](std::string_view piece) { content.add(piece); })
            && content.value() == *knownContent_;
    } catch (const std::bad_alloc&) {
        return false;  // what cannot be compared counts as changed
    }
}
