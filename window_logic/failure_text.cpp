#include "failure_text.h"

#include <new>

const char* failureText(const std::exception_ptr& failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const std::bad_alloc&) {
        return "Out of memory. Nimbrel closes without saving.";
    } catch (...) {
        return "Nimbrel met an unexpected error and closes without saving.";
    }
}
