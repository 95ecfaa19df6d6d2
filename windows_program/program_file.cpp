#include "program_file.h"

#include <htmlhelp.h>

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

// HTML Help's entry point, from the viewer's library, which stays loaded for the help windows
// it opens in this process; null where the library is missing.
using HtmlHelpFunction = HWND(WINAPI*)(HWND, const wchar_t*, UINT, DWORD_PTR);

HtmlHelpFunction htmlHelp()
{
    static const HtmlHelpFunction function = [] {
        const HMODULE library = LoadLibraryW(L"hhctrl.ocx");
        const FARPROC found = library ? GetProcAddress(library, "HtmlHelpW") : nullptr;
        return reinterpret_cast<HtmlHelpFunction>(reinterpret_cast<void (*)()>(found));
    }();
    return function;
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
    const std::wstring helpFile = executablePath().replace_extension(L".chm").wstring();
    const HtmlHelpFunction showHelp = htmlHelp();
    if (!showHelp || !showHelp(window, helpFile.c_str(), HH_HELP_CONTEXT, topic))
        MessageBoxW(window, L"Failed to launch help.", programName().c_str(),
                    MB_OK | MB_ICONEXCLAMATION);
}
