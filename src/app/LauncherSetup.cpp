#include "LauncherSetup.h"
#include <shlobj.h>
#include <shlwapi.h>
#include <cwchar>
#include <utility>

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
    if (!value[0] || !FileExists(value))
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
    return RunProcess(exe, FormatString(L"%s -i \"%d\" -d", exe.c_str(), m_launchId));
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
