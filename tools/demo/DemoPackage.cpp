// The demo's package installer: installs the demo launcher into a folder and
// records the launcher's settings where the installer looks for an earlier
// install. Options: /S (no message at the end), "/unpack=DIR" (required),
// /launch=off (do not start the launcher afterwards). Exit code 0 when
// everything was written, 1 when something failed, 2 for a usage error.
// The launcher's bytes travel inside this program as resource 201; the demo
// pads the served copy with data after the image to make the download large.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <algorithm>
#include <optional>
#include <string>
#include <vector>
#include "DemoRecords.h"

namespace {

constexpr int kLauncherResource = 201;
constexpr const char kMainLibraryNote[] = "Tarvo demo launcher data\r\n";

struct PackageOptions {
    bool launch = true;
    std::wstring unpackDir;
};

// The standard parser, as any package installer reads its arguments: a
// folder with a trailing backslash arrives only when the caller quoted it
// right.
std::vector<std::wstring> SplitCommandLine(const wchar_t* text)
{
    int count = 0;
    wchar_t** args = CommandLineToArgvW(text, &count);
    std::vector<std::wstring> parts(args, args + (args ? count : 0));
    LocalFree(args);
    return parts;
}

std::optional<PackageOptions> ParseOptions(const std::vector<std::wstring>& args)
{
    const std::wstring unpack = L"/unpack=";
    PackageOptions options;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == L"/S")
            continue;
        if (args[i] == L"/launch=off")
            options.launch = false;
        else if (args[i].rfind(unpack, 0) == 0)
            options.unpackDir = args[i].substr(unpack.size());
        else
            return std::nullopt;
    }
    while (options.unpackDir.size() > 3 && options.unpackDir.back() == L'\\')
        options.unpackDir.pop_back();
    if (options.unpackDir.empty())
        return std::nullopt;
    return options;
}

std::wstring JoinPath(const std::wstring& folder, const wchar_t* name)
{
    return folder.back() == L'\\' ? folder + name : folder + L"\\" + name;
}

bool WriteWholeFile(const std::wstring& path, const void* data, DWORD size)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, data, size, &written, nullptr) && written == size;
    return CloseHandle(file) && ok;
}

bool WriteLauncher(const std::wstring& path)
{
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(kLauncherResource), MAKEINTRESOURCEW(10));
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    return bytes && WriteWholeFile(path, bytes, SizeofResource(nullptr, found));
}

// UTF-16 with a byte-order mark, so that folder names in any script survive
// the wide private-profile reader.
bool WriteLauncherSettingsFile(const std::wstring& launcherExe)
{
    std::wstring folder = DemoRecords::CommonAppDataFolder();
    if (folder.empty())
        return false;
    std::wstring text = L"\xFEFF[TarvoWeb-Launcher]\r\nInstallPath=" + launcherExe + L"\r\n";
    return WriteWholeFile(JoinPath(folder, L"TarvoLaucher.ini"), text.data(),
                          static_cast<DWORD>(text.size() * sizeof(wchar_t)));
}

bool WriteLauncherRegistryValue(const std::wstring& folder)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\TarvoLauncher", 0, nullptr, 0,
                        KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    LONG result = RegSetValueExW(key, L"InstPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                                 static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool CreateFolder(const std::wstring& folder)
{
    int result = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    return result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS || result == ERROR_FILE_EXISTS;
}

void StartLauncher(const std::wstring& launcherExe)
{
    std::wstring commandLine = L"\"" + launcherExe + L"\" -i \"1\" -d";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (CreateProcessW(launcherExe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &process)) {
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
}

bool Install(const PackageOptions& options)
{
    std::wstring launcherExe = JoinPath(options.unpackDir, L"TarvoLauncher.exe");
    return CreateFolder(options.unpackDir) && WriteLauncher(launcherExe) &&
           WriteWholeFile(JoinPath(options.unpackDir, L"tvmain.dll"), kMainLibraryNote,
                          sizeof(kMainLibraryNote) - 1) &&
           WriteLauncherSettingsFile(launcherExe) && WriteLauncherRegistryValue(options.unpackDir);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    DemoRecords::LogCommandLine(L"package");
    std::vector<std::wstring> args = SplitCommandLine(GetCommandLineW());
    bool silent = std::find(args.begin(), args.end(), L"/S") != args.end();
    std::optional<PackageOptions> options = ParseOptions(args);
    if (!options) {
        if (!silent)
            MessageBoxW(nullptr, L"用法：tvinstaller.exe [/S] \"/unpack=目录\" [/launch=off]", L"塔沃岚盒安装",
                        MB_OK | MB_ICONWARNING);
        return 2;
    }
    bool installed = Install(*options);
    if (!silent)
        MessageBoxW(nullptr, installed ? L"塔沃岚盒已安装。" : L"塔沃岚盒安装失败。", L"塔沃岚盒安装",
                    MB_OK | (installed ? MB_ICONINFORMATION : MB_ICONERROR));
    if (installed && options->launch)
        StartLauncher(JoinPath(options->unpackDir, L"TarvoLauncher.exe"));
    return installed ? 0 : 1;
}
