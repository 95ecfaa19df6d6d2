#include "data_file.h"

#include "file_place.h"
#include "record_reader.h"
#include "record_writer.h"
#include "safe_file.h"
#include "table_client.h"

#include <cerrno>
#include <memory>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kReadChunkSize = 1 << 20;

// Creates the missing data file empty and owner-only, whatever the umask.
FileDescriptor createEmptyFile(const FilePlace& place)
{
    FileDescriptor file = place.open(O_RDONLY | O_CREAT | O_EXCL, 0600);
    if (file)
        ::fchmod(file.get(), 0600);
    return file;
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
    notReadCompletely_ = false;
    const std::optional<FilePlace> place = FilePlace::find(path_);
    FileDescriptor file;
    if (place) {
        SafeFile::removeAbandoned(*place);
        // Non-blocking, so that a FIFO in the file's place cannot hold up the start.
        file = place->open(O_RDONLY | O_NONBLOCK | O_NOCTTY);
        if (!file && errno == ENOENT && ifMissing == IfMissing::Create)
            file = createEmptyFile(*place);
    }
    struct stat status {};
    if (!file || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        client_->finished();
        return;
    }
    known_ = identityOf(file.get());
    const std::size_t rowsBefore = table_.count();
    const bool whole = readRecords(file.get());
    notReadCompletely_ = !whole || (status.st_size > 0 && table_.count() == rowsBefore);
    client_->finished();
    if (!whole)
        client_->loadStoppedEarly();
}

// Returns whether the file was read to its end; the records read before a read error or
// before memory ran out are kept.
bool DataFile::readRecords(int descriptor)
{
    RecordReader reader(*client_);
    bool whole = true;
    std::unique_ptr<char[]> buffer;  // kept to the end: the record being read may lie in it
    try {
        // Not zeroed first: a small file should not cost touching a whole chunk of memory.
        buffer = std::make_unique_for_overwrite<char[]>(kReadChunkSize);
        for (;;) {
            const ssize_t received = ::read(descriptor, buffer.get(), kReadChunkSize);
            if (received < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            whole = received >= 0;
            if (received <= 0)
                break;
            reader.feed({buffer.get(), static_cast<std::size_t>(received)});
        }
    } catch (const std::bad_alloc&) {
        whole = false;
    }
    // The record read last is kept as at the end of the file.
    try {
        reader.finish();
    } catch (const std::bad_alloc&) {
        whole = false;
    }
    return whole;
}

bool DataFile::save()
{
    SafeFile file(path_);
    const bool saved = file.open() && mayReplace(file.existing())
        && writeRecords(table_, *client_,
                        [&file](std::string_view bytes) { return file.write(bytes); })
        && file.commit();
    if (saved) {
        known_ = file.committed();
        notReadCompletely_ = false;
    }
    client_->finished();
    return saved;
}

// A file that is gone, or that was never read, holds nothing that a save could lose.
bool DataFile::mayReplace(const std::optional<FileIdentity>& onDisk)
{
    if (!onDisk || !known_)
        return true;
    if (*onDisk != *known_)
        return client_->confirmReplace(ReplaceReason::ChangedSinceLoad);
    return !notReadCompletely_ || client_->confirmReplace(ReplaceReason::NotReadCompletely);
}
