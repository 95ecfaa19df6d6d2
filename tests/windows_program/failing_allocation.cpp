// Nimbrel as a person meets it when memory runs out: F12 makes the next allocation on the
// window's thread fail, as a paste too large for the memory left would; and with
// NIMBREL_TEST_MEMORY set, every allocation of more bytes than it says fails.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

const DWORD windowThread = GetCurrentThreadId();
std::atomic<bool> armed{false};

std::size_t largestAllocation()
{
    const char* memory = std::getenv("NIMBREL_TEST_MEMORY");
    return memory ? std::strtoull(memory, nullptr, 10) : SIZE_MAX;
}
const std::size_t largest = largestAllocation();

LRESULT CALLBACK watchKeys(int code, WPARAM key, LPARAM flags)
{
    constexpr LPARAM kReleased = LPARAM{1} << 31;
    if (code == HC_ACTION && key == VK_F12 && !(flags & kReleased))
        armed = true;
    return CallNextHookEx(nullptr, code, key, flags);
}

[[maybe_unused]] const HHOOK keyWatch =
    SetWindowsHookExW(WH_KEYBOARD, watchKeys, nullptr, GetCurrentThreadId());

}  // namespace

void* operator new(std::size_t size)
{
    if ((GetCurrentThreadId() == windowThread && armed.exchange(false)) || size > largest)
        throw std::bad_alloc();
    if (void* block = std::malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}
