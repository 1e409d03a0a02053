// A stand-in for the programs the installer starts (the package installer and
// the launcher). It appends its whole command line, UTF-8, one line, to the
// file named by TARVO_RECORD_ARGS, or else to "<its own path>.args", and
// writes the folder it was started in to "<its own path>.cwd". Given
// "/unpack=DIR" it leaves an installed launcher there: DIR\TarvoLauncher.exe
// (a copy of itself) and an empty DIR\tvmain.dll. While "<its own path>.hold"
// exists it waits before unpacking, so a test can keep it running.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <string>

namespace {

std::wstring OwnPath()
{
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, length);
}

void AppendLine(const std::wstring& target, const wchar_t* text, DWORD disposition)
{
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string line(bytes > 0 ? bytes - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, line.data(), bytes, nullptr, nullptr);
    line += '\n';
    HANDLE file = CreateFileW(target.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              disposition, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, line.data(), DWORD(line.size()), &written, nullptr);
    CloseHandle(file);
}

void Record(const wchar_t* commandLine)
{
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    AppendLine(OwnPath() + L".cwd", folder, CREATE_ALWAYS);
    wchar_t named[MAX_PATH];
    DWORD length = GetEnvironmentVariableW(L"TARVO_RECORD_ARGS", named, MAX_PATH);
    std::wstring target = length > 0 && length < MAX_PATH ? std::wstring(named) : OwnPath() + L".args";
    AppendLine(target, commandLine, OPEN_ALWAYS);
}

void WaitWhileHeld()
{
    const std::wstring hold = OwnPath() + L".hold";
    while (GetFileAttributesW(hold.c_str()) != INVALID_FILE_ATTRIBUTES)
        Sleep(50);
}

void Unpack(const std::wstring& dir)
{
    SHCreateDirectoryExW(nullptr, dir.c_str(), nullptr);
    CopyFileW(OwnPath().c_str(), (dir + L"\\TarvoLauncher.exe").c_str(), FALSE);
    CloseHandle(CreateFileW((dir + L"\\tvmain.dll").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    const wchar_t* commandLine = GetCommandLineW();
    Record(commandLine);
    WaitWhileHeld();
    int count = 0;
    wchar_t** args = CommandLineToArgvW(commandLine, &count);
    const std::wstring unpack = L"/unpack=";
    for (int i = 1; args && i < count; ++i)
        if (std::wstring arg = args[i]; arg.rfind(unpack, 0) == 0)
            Unpack(arg.substr(unpack.size()));
    LocalFree(args);
    return 0;
}
