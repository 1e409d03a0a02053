#pragma once
// The installer window's folder and space decisions, as plain functions so
// they can be checked without a window. Any thread.
#include <windows.h>
#include <cstdint>
#include <string>

class CInstallRules {
public:
    // The folder below a drive root that a default install goes into.
    static constexpr const wchar_t* kDefaultSubFolder = L"塔沃网络\\塔沃岚盒";
    // The folder a browsed folder gets appended.
    static constexpr const wchar_t* kBrowseSubFolder = L"塔沃岚盒";
    static constexpr uint64_t kRequiredBytes = 125829120;  // 120 MiB
    // The longest path the install makes in its folder is the temporary
    // package, "\\tvinstaller_" with a 64-character version and ".tmp"; it
    // must stay under the platform's path limit.
    static constexpr size_t kLongestFolder = MAX_PATH - 1 - 81;

    // driveTypes holds GetDriveTypeW's answer for D:\, C:\ and E:\ in that
    // order. The first fixed disk wins: a stick or a disc in D: must not get
    // the launcher. Empty when none of the three is a fixed disk.
    static std::wstring DefaultInstallDirFrom(const UINT (&driveTypes)[3]);
    // The same for this machine's drives.
    static std::wstring DefaultInstallDir();

    static bool EnsureDirectory(const std::wstring& folder);
    // A folder the user typed or browsed to is used only without "/", not
    // longer than kLongestFolder, and when a file can be made in it (not
    // read-only media, not a file of that name); it is created here with its
    // parents when missing. False when it cannot be used.
    static bool MakeUsableFolder(const std::wstring& folder);
    static bool CanWriteIn(const std::wstring& folder);

    // A download that failed writing its file (error type 1, the file's own
    // error code): the disk is full, or it refuses the write.
    static bool IsDiskFull(int32_t code) { return code == ERROR_DISK_FULL || code == ERROR_HANDLE_DISK_FULL; }

    // Where the launcher goes for a folder picked in the browser; empty when
    // the browser gave nothing.
    static std::wstring FolderFromBrowse(std::wstring picked);

    static bool EnoughSpace(uint64_t freeBytes) { return freeBytes >= kRequiredBytes; }
    // Free bytes for the caller on the drive of the folder (its first two
    // characters); 0 when the platform cannot tell.
    static uint64_t FreeBytes(const std::wstring& folder);
};
