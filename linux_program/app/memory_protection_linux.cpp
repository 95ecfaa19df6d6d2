#include "memory_protection.h"

#include <sys/prctl.h>
#include <sys/resource.h>

void protectMemory()
{
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    ::prctl(PR_SET_DUMPABLE, 0);
}
