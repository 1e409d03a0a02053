#include "InstallRules.h"
#include <shlobj.h>
#include <shlwapi.h>

namespace {
const wchar_t* const kDriveOrder[3] = {L"D:\\", L"C:\\", L"E:\\"};
}

std::wstring CInstallRules::DefaultInstallDirFrom(const UINT (&driveTypes)[3])
{
    for (int i = 0; i < 3; ++i) {
        if (driveTypes[i] != DRIVE_FIXED) continue;
        wchar_t path[MAX_PATH] = {};
        wcscpy(path, kDriveOrder[i]);
        return PathAppendW(path, kDefaultSubFolder) ? std::wstring(path) : std::wstring();
    }
    return {};
}

std::wstring CInstallRules::DefaultInstallDir()
{
    UINT types[3];
    for (int i = 0; i < 3; ++i)
    {
        // Only a fixed disk is probed: a drive with removable media is not touched.
        types[i] = GetDriveTypeW(kDriveOrder[i]);
        if (types[i] == DRIVE_FIXED && !PathFileExistsW(kDriveOrder[i])) types[i] = DRIVE_NO_ROOT_DIR;
    }
    return DefaultInstallDirFrom(types);
}

bool CInstallRules::EnsureDirectory(const std::wstring& folder)
{
    return PathFileExistsW(folder.c_str()) || SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr) == 0;
}

bool CInstallRules::MakeUsableFolder(const std::wstring& folder)
{
    return folder.find(L'/') == std::wstring::npos && folder.size() <= kLongestFolder && EnsureDirectory(folder) &&
           CanWriteIn(folder);
}

bool CInstallRules::CanWriteIn(const std::wstring& folder)
{
    const std::wstring probe = folder + L"\\tvprobe_" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    DeleteFileW(probe.c_str());
    return true;
}

std::wstring CInstallRules::FolderFromBrowse(std::wstring picked)
{
    if (!picked.empty() && picked.back() == L'\\') picked.pop_back();
    if (picked.empty()) return {};
    return picked + L"\\" + kBrowseSubFolder;
}

uint64_t CInstallRules::FreeBytes(const std::wstring& folder)
{
    const std::wstring drive = folder.size() >= 2 ? folder.substr(0, 2) : std::wstring();
    ULARGE_INTEGER available = {};
    if (!GetDiskFreeSpaceExW(drive.c_str(), &available, nullptr, nullptr)) return 0;
    return available.QuadPart;
}
