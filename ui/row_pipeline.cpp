#include "row_pipeline.h"

#include <exception>
#include <utility>

namespace {

// Batches large enough that handing them over costs little, and few enough waiting that the
// memory they take stays small.
constexpr std::size_t kBatchRows = 4096;
constexpr std::size_t kWaitingBatches = 4;

}  // namespace

RowPipeline::RowPipeline(std::function<void(const EntryView&)> take) : take_(std::move(take))
{
    try {
        filling_.reserve(kBatchRows);
        // Every batch there is: the one filling, those waiting, the one being dealt with.
        spare_.reserve(kWaitingBatches + 2);
        worker_ = std::thread([this] { run(); });
    } catch (const std::exception&) {
        // Without memory or a thread, the rows are dealt with as they come.
    }
}

RowPipeline::~RowPipeline()
{
    finish();
}

void RowPipeline::add(const EntryView& row)
{
    if (!worker_.joinable()) {
        take_(row);
        return;
    }
    filling_.push_back(row);
    if (filling_.size() >= kBatchRows)
        handOver();
}

// The last batch, seldom full, is dealt with here rather than handed over, which could fail.
void RowPipeline::finish()
{
    if (!worker_.joinable())
        return;
    {
        const std::lock_guard lock(mutex_);
        finishing_ = true;
    }
    changed_.notify_all();
    worker_.join();
    for (const EntryView& row : filling_)
        take_(row);
    filling_.clear();
}

void RowPipeline::handOver()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return full_.size() < kWaitingBatches; });
    full_.push_back(std::move(filling_));  // where it fails, filling_ keeps its rows
    filling_ = {};
    if (!spare_.empty()) {
        filling_ = std::move(spare_.back());
        spare_.pop_back();
    }
    lock.unlock();
    changed_.notify_all();
    filling_.reserve(kBatchRows);
}

void RowPipeline::run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return !full_.empty() || finishing_; });
        if (full_.empty())
            return;
        std::vector<EntryView> batch = std::move(full_.front());
        full_.pop_front();
        lock.unlock();
        changed_.notify_all();
        for (const EntryView& row : batch)
            take_(row);
        batch.clear();
        lock.lock();
        spare_.push_back(std::move(batch));
    }
}
