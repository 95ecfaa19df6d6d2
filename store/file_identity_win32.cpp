#include "file_handle_win32.h"

namespace {

// FILETIME counts 100 ns from 1601; FileIdentity counts nanoseconds from 1970, as on POSIX.
constexpr std::int64_t kFrom1601To1970 = 116'444'736'000'000'000LL;

std::int64_t nanoseconds(std::int64_t fileTime)
{
    return fileTime == 0 ? 0 : (fileTime - kFrom1601To1970) * 100;
}

}  // namespace

std::optional<FileIdentity> identityOf(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION information{};
    if (!::GetFileInformationByHandle(file, &information))
        return std::nullopt;
    const auto join = [](DWORD high, DWORD low) {
        return (std::uint64_t{high} << 32) | std::uint64_t{low};
    };
    const auto modified = static_cast<std::int64_t>(
        join(information.ftLastWriteTime.dwHighDateTime, information.ftLastWriteTime.dwLowDateTime));
    // The change time, which a rewrite that put the write time back does not hide, is known
    // to NTFS and ReFS; elsewhere it stays 0.
    FILE_BASIC_INFO basic{};
    const std::int64_t changed =
        ::GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic)
        ? basic.ChangeTime.QuadPart
        : 0;
    return FileIdentity{information.dwVolumeSerialNumber,
                        join(information.nFileIndexHigh, information.nFileIndexLow),
                        static_cast<std::int64_t>(
                            join(information.nFileSizeHigh, information.nFileSizeLow)),
                        nanoseconds(modified), nanoseconds(changed)};
}
