#include "failure_end.h"

#include "failure_text.h"
#include "program_file.h"
#include "wide_text.h"

#include <atomic>
#include <cstdlib>
#include <exception>

namespace {

std::atomic<bool> ending{false};

}  // namespace

void endAfterFailure(HWND window)
{
    const char* text = failureText(std::current_exception());
    // The message box's own loop still sends the windows their messages, over a state that
    // may be half changed.
    ending = true;
    try {
        MessageBoxW(window, wideText(text).c_str(), programName().c_str(),
                    MB_OK | MB_ICONERROR);
    } catch (...) {
        // Memory ran out again for the message's text; the program ends all the same.
    }
    ExitProcess(EXIT_FAILURE);
}

bool endingAfterFailure()
{
    return ending;
}
