// Holds a file open, shared with nobody, for the given milliseconds, as a scanner or a backup
// program does for a moment: hold_file <path> <milliseconds>.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3)
        return 2;
    HANDLE file = INVALID_HANDLE_VALUE;
    // The test that started it looks at the file meanwhile.
    for (int tries = 0; file == INVALID_HANDLE_VALUE && tries < 1000; ++tries) {
        file = ::CreateFileW(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            ::Sleep(1);
    }
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    ::Sleep(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)));
    ::CloseHandle(file);
    return 0;
}
