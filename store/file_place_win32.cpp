#include "file_place_win32.h"

#include "file_handle_win32.h"

#include <vector>

namespace {

// Asks a function that fills a wide buffer for its text, growing the buffer as it says.
template <typename Fill>
std::optional<std::wstring> wideText(Fill fill)
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return std::nullopt;
        if (length < buffer.size())
            return std::wstring(buffer.data(), length);
        buffer.resize(length + 1);
    }
}

}  // namespace

std::optional<std::wstring> placeOf(const std::filesystem::path& path)
{
    const std::optional<std::wstring> full = wideText([&path](wchar_t* buffer, DWORD size) {
        return ::GetFullPathNameW(path.c_str(), size, buffer, nullptr);
    });
    if (!full)
        return std::nullopt;
    // Opened for its attributes only, which no program can refuse by its share mode.
    const FileHandle file(::CreateFileW(full->c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file)
        return full;
    const std::optional<std::wstring> final = wideText([&file](wchar_t* buffer, DWORD size) {
        return ::GetFinalPathNameByHandleW(file.get(), buffer, size,
                                           FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    });
    return final ? final : full;
}
