#include "program_file.h"

#include <filesystem>

namespace {

std::filesystem::path executablePath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

bool modifierHeld()
{
    return GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
}

}  // namespace

std::wstring programName()
{
    return executablePath().stem().wstring();
}

void showHelpTopic(HWND window, DWORD topic)
{
    if (modifierHeld())
        return;
    const std::wstring helpFile = executablePath().replace_extension(L".HLP").wstring();
    if (!WinHelpW(window, helpFile.c_str(), HELP_CONTEXT, topic))
        MessageBoxW(window, L"Failed to launch help.", programName().c_str(),
                    MB_OK | MB_ICONEXCLAMATION);
}
