#include "failing_allocation.h"

#include <cstdlib>
#include <new>

// The replacements stand in a file of their own so that no caller sees their bodies: inlined
// into code that valgrind's own operator new allocated for, std::free would read as a mismatch.
std::atomic<std::thread::id> allocationsFailOffThread{};

void* operator new(std::size_t size)
{
    const std::thread::id armedBy = allocationsFailOffThread.load();
    if (armedBy != std::thread::id() && armedBy != std::this_thread::get_id())
        throw std::bad_alloc();
    if (void* memory = std::malloc(size > 0 ? size : 1))
        return memory;
    throw std::bad_alloc();
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

void* operator new[](std::size_t size, const std::nothrow_t& nothrow) noexcept
{
    return operator new(size, nothrow);
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, std::size_t) noexcept
{
    std::free(memory);
}
