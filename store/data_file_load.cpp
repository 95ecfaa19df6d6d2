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
    if (handingOver_)
        handOver(table_.stored(0));
}

void DataFileLoad::addRecords(EntryTable&& rows)
{
    const std::size_t count = rows.count();
    inserter_.addRecords(std::move(rows));
    for (std::size_t i = count; i-- > 0 && handingOver_;)
        handOver(table_.stored(i));
}

// Batches go over in the order their rows were loaded. Once one cannot go over, no more do:
// the rows not handed over are then those loaded last, and finish() takes them from the top
// of the table.
void DataFileLoad::handOver(RowArena::Row row)
{
    try {
        filling_.reserve(kBatchRows);
        filling_.push_back(row);
        if (filling_.size() < kBatchRows)
            return;
        {
            const std::lock_guard lock(mutex_);
            full_.push_back(std::move(filling_));
            handedRows_ += kBatchRows;
        }
        changed_.notify_one();
        filling_ = {};
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
    for (std::size_t i = table_.count() - handedRows_; i-- > 0;)
        take(table_.row(i));
}
