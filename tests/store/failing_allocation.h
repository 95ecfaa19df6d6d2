#pragma once

#include <atomic>
#include <thread>

// While armed, every allocation through operator new on another thread than the arming one
// fails, as when memory runs out at the very start of a load on a thread of its own.
extern std::atomic<std::thread::id> allocationsFailOffThread;
