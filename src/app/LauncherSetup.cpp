#include "LauncherSetup.h"
#include <shlobj.h>
#include <shlwapi.h>
#include <cwchar>
#include <utility>
#include "Runtime/FileSystem.h"
#include "Runtime/StringConvert.h"
#include "app/DesktopUser.h"

namespace {

const wchar_t kLauncherExe[] = L"TarvoLauncher.exe";

// The shell's path-append: it knows about drive roots; empty when too long.
std::wstring AppendPath(const std::wstring& dir, const wchar_t* name)
{
    wchar_t path[kFormatBufferUnits];
    if (dir.size() >= kFormatBufferUnits)
        return {};
    wcscpy(path, dir.c_str());
    return PathAppendW(path, name) ? path : L"";
}

std::wstring CommonAppDataDir()
{
    HRESULT com = CoInitialize(nullptr);
    wchar_t path[kFormatBufferUnits] = {};
    PIDLIST_ABSOLUTE location = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_COMMON_APPDATA, &location))) {
        if (!SHGetPathFromIDListEx(location, path, kFormatBufferUnits, GPFIDL_DEFAULT))
            path[0] = L'\0';
        CoTaskMemFree(location);
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return path;
}

bool FileExists(const wchar_t* path) { return PathFileExistsW(path) != FALSE; }

bool IsDriveLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

// A drive letter that stands for a share is as remote as a "\\host" path.
bool OnLocalDrive(const std::wstring& path)
{
    const UINT type = GetDriveTypeW(path.substr(0, 3).c_str());
    return type == DRIVE_FIXED || type == DRIVE_REMOVABLE || type == DRIVE_RAMDISK;
}
bool FileExists(const std::wstring& path) { return FileExists(path.c_str()); }

} // namespace

CLauncherSetup::CLauncherSetup(std::wstring programDir) : m_programDir(std::move(programDir)) {}

bool CLauncherSetup::DetectExistingInstall()
{
    m_launcherExe.clear();
    std::wstring dataDir = CommonAppDataDir();
    if (dataDir.empty())
        return false;
    return ReadSettingsFile(AppendPath(dataDir, L"TarvoLaucher.ini")) || ReadRegistry();
}

bool CLauncherSetup::ReadSettingsFile(const std::wstring& settings)
{
    if (settings.empty())
        return false;
    wchar_t value[kFormatBufferUnits] = {};
    GetPrivateProfileStringW(L"TarvoWeb-Launcher", L"InstallPath", L"", value, kFormatBufferUnits, settings.c_str());
    if (!IsTrustedSettingsPath(value) || !OnLocalDrive(value) || !FileExists(value))
        return false;
    m_launcherExe = value;
    m_installDir = ParentDir(value);
    return true;
}

bool CLauncherSetup::ReadRegistry()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\TarvoLauncher", 0, KEY_READ | KEY_WOW64_32KEY, &key))
        return false;
    // 4096 bytes for the value, one more unit so that the end always fits.
    wchar_t folder[4096 / sizeof(wchar_t) + 1] = {};
    DWORD type = 0;
    DWORD bytes = 4096;
    LONG status = RegQueryValueExW(key, L"InstPath", nullptr, &type, reinterpret_cast<BYTE*>(folder), &bytes);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ)
        return false;
    folder[bytes / sizeof(wchar_t)] = L'\0';
    if (!FileExists(folder))
        return false;
    m_installDir = folder;
    std::wstring exe = AppendPath(folder, kLauncherExe);
    if (exe.empty() || !FileExists(exe))
        return false;
    m_launcherExe = exe;
    return true;
}

bool CLauncherSetup::IsTrustedSettingsPath(const std::wstring& path)
{
    if (path.size() < 4 || !IsDriveLetter(path[0]) || path[1] != L':' || path[2] != L'\\')
        return false;
    size_t start = 3;
    for (;;) {
        const size_t end = path.find_first_of(L"\\/", start);
        const std::wstring piece = path.substr(start, end == std::wstring::npos ? end : end - start);
        // A colon past the drive names a stream or another device.
        if (piece == L".." || piece.find(L':') != std::wstring::npos)
            return false;
        if (end == std::wstring::npos)
            return _wcsicmp(piece.c_str(), kLauncherExe) == 0;
        start = end + 1;
    }
}

void CLauncherSetup::CheckLocalPackage()
{
    wchar_t path[kFormatBufferUnits];
    FormatString(path, L"%s\\%s", m_programDir.c_str(), L"tvmain.dll");
    if (!FileExists(path))
        return;
    m_launcherBesideProgram = true;
    m_workDir = m_programDir;
    FormatString(path, L"%s\\%s", m_programDir.c_str(), L"tvinstaller.exe");
    m_packageBesideProgram = FileExists(path);
}

void CLauncherSetup::TakeLaunchId(uint16_t launchId)
{
    if (launchId != 0)
        m_launchId = launchId;
}

const std::wstring& CLauncherSetup::PreparePackagePath()
{
    m_installerPath = FormatString(L"%s\\%s", m_workDir.c_str(), L"tvinstaller.exe");
    return m_installerPath;
}

DWORD CLauncherSetup::StartLauncher(const std::wstring& exe) const
{
    return CDesktopUser::Start(exe, FormatString(L"%s -i \"%d\" -d", exe.c_str(), m_launchId), ParentDir(exe)).error;
}

bool CLauncherSetup::StartExistingLauncher() const
{
    return StartLauncher(m_launcherExe) == 0;
}

void CLauncherSetup::LaunchAfterInstall() const
{
    StartLauncher(FormatString(L"%s\\%s", m_installDir.c_str(), kLauncherExe));
    if (!m_launcherBesideProgram)
        DeleteFileW(m_installerPath.c_str());
    DeleteFileW(FormatString(L"%s\\%s", m_workDir.c_str(), L"tvinstall.ini").c_str());
}
