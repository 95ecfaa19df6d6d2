#pragma once

#include <exception>

// What the user is told where an event could not be handled to its end: the program then
// ends at once, without saving, as the window's state may be half changed.
const char* failureText(const std::exception_ptr& failure);
