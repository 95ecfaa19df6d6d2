#include "error_reports.h"

#include <windows.h>

// With this mode Windows does not invoke error reporting for the process at all; excluding
// blocks of memory from a report would miss the copies the system and the runtime make.
void keepMemoryOutOfErrorReports()
{
    SetErrorMode(GetErrorMode() | SEM_NOGPFAULTERRORBOX);
}
