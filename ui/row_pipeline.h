#pragma once

#include "entry_view.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Hands rows over, in batches, to a function that runs on a thread of its own, so that they
// are dealt with alongside the work that adds them. The rows' texts must stay in place until
// finish() returns. Where no thread can be started, each row is dealt with as it is added.
class RowPipeline {
public:
    explicit RowPipeline(std::function<void(const EntryView&)> take);
    ~RowPipeline();

    void add(const EntryView& row);
    // Returns once every row added has been dealt with.
    void finish();

private:
    void handOver();
    void run();

    std::function<void(const EntryView&)> take_;
    std::vector<EntryView> filling_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<EntryView>> full_;   // handed over, not yet dealt with
    std::vector<std::vector<EntryView>> spare_;  // dealt with, for reuse
    bool finishing_ = false;
    std::thread worker_;
};
