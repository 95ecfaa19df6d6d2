#include "data_file.h"

#include "record_reader.h"
#include "record_writer.h"
#include "safe_file.h"
#include "table_client.h"

#include <cerrno>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kReadChunkSize = 1 << 20;

// Creates the missing data file empty and owner-only, whatever the umask.
void createEmptyFile(const std::filesystem::path& path)
{
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (descriptor < 0)
        return;
    ::fchmod(descriptor, 0600);
    ::close(descriptor);
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

void DataFile::load()
{
    const int descriptor = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        if (errno == ENOENT)
            createEmptyFile(path_);
        client_->finished();
        return;
    }

    RecordReader reader(*client_);
    // Not zeroed first: a small file should not cost touching a whole chunk of memory.
    const auto buffer = std::make_unique_for_overwrite<char[]>(kReadChunkSize);
    for (;;) {
        const ssize_t received = ::read(descriptor, buffer.get(), kReadChunkSize);
        if (received < 0 && errno == EINTR)
            continue;
        if (received <= 0)
            break;  // a read error counts as the end of the file
        reader.feed({buffer.get(), static_cast<std::size_t>(received)});
    }
    ::close(descriptor);
    reader.finish();
    client_->finished();
}

bool DataFile::save()
{
    SafeFile file(path_);
    const bool saved = file.open()
        && writeRecords(table_, *client_,
                        [&file](std::string_view bytes) { return file.write(bytes); })
        && file.commit();
    client_->finished();
    return saved;
}
