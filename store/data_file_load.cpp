#include "data_file_load.h"

#include <new>
#include <utility>

namespace {

// Large enough that handing a batch over costs little per row.
constexpr std::size_t kBatchRows = 4096;

}  // namespace

DataFileLoad::DataFileLoad(std::filesystem::path path) : file_(table_, std::move(path), this)
{
    try {
        thread_ = std::thread([this] { run(); });
    } catch (const std::exception&) {
        run();  // without a thread, the file is loaded before the caller goes on
    }
}

DataFileLoad::~DataFileLoad()
{
    if (thread_.joinable())
        thread_.join();
}

void DataFileLoad::run()
{
    try {
        file_.load(DataFile::IfMissing::Leave);
    } catch (...) {
        failure_ = std::current_exception();
    }
    {
        const std::lock_guard lock(mutex_);
        ended_ = true;
    }
    changed_.notify_all();
}

void DataFileLoad::addRecord(const EntryView& record)
{
    inserter_.addRecord(record);
    handOver(first_, table_.stored(0));
}

void DataFileLoad::addRecords(EntryTable&& rows)
{
    const std::size_t before = table_.count();
    try {
        inserter_.addRecords(std::move(rows));
    } catch (const std::bad_alloc&) {
        untaken_ = std::move(rows);  // its rows handed over stay valid
        handingOver_ = false;
        throw;
    }
    laterFrom_ = before;
}

void DataFileLoad::laterRowStored(RowArena::Row row)
{
    handOver(later_, row);
}

// Each part's batches go over in the order their rows were loaded. Once a row cannot go over,
// no more do, and finish() takes the rest of each part from the table.
void DataFileLoad::handOver(Part& part, RowArena::Row row)
{
    if (!handingOver_)
        return;
    try {
        part.filling.reserve(kBatchRows);
        part.filling.push_back(row);
        if (part.filling.size() < kBatchRows)
            return;
        {
            const std::lock_guard lock(mutex_);
            full_.push_back(std::move(part.filling));
        }
        changed_.notify_one();
        part.filling = {};
        part.handedRows += kBatchRows;
    } catch (const std::bad_alloc&) {
        handingOver_ = false;
    }
}

void DataFileLoad::finish(const std::function<void(const EntryView&)>& take)
{
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return !full_.empty() || ended_; });
        if (full_.empty())
            break;
        const std::vector<RowArena::Row> batch = std::move(full_.front());
        full_.pop_front();
        lock.unlock();
        for (const RowArena::Row row : batch)
            take(EntryView(RowArena::texts(row)));
        lock.lock();
    }
    lock.unlock();
    if (thread_.joinable())
        thread_.join();
    if (failure_)
        std::rethrow_exception(failure_);
    if (file_.isMissing()) {
        // Loaded again, here: created where it is still missing, read where it now is not.
        handingOver_ = false;
        file_.load();
    }
    // The rows not handed over yet, each part's in the order read; the file's first row is the
    // table's last.
    const std::size_t count = table_.count();
    const std::size_t laterFrom = laterFrom_.value_or(count);
    const auto takeRows = [&](std::size_t from, std::size_t to) {
        for (std::size_t read = from; read < to; ++read)
            take(table_.row(count - 1 - read));
    };
    takeRows(first_.handedRows, laterFrom);
    takeRows(laterFrom + later_.handedRows, count);
}
