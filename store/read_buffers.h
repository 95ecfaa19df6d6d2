#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

// The memory of a file's reads, one buffer a read, kept as long as the file object so that each
// read's last piece stays valid; reads may run on several threads at once.
class ReadBuffers {
public:
    char* add(std::size_t size)
    {
        const std::lock_guard lock(mutex_);
        buffers_.reserve(buffers_.size() + 1);
        // Not zeroed first: a small file should not cost touching a whole chunk of memory.
        return buffers_.emplace_back(std::make_unique_for_overwrite<char[]>(size)).get();
    }

private:
    std::mutex mutex_;
    std::vector<std::unique_ptr<char[]>> buffers_;
};
