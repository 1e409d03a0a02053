#include "CommonUtils.h"
#include <shlobj.h>
#include <shlwapi.h>
#include <cstdarg>
#include <cstdio>
#include <vector>
#include "Runtime/CallbackGuard.h"
#include "Runtime/FileEx.h"
#include "Runtime/LogSites.h"
#include "Runtime/StringConvert.h"

const std::wstring& GetModuleDir()
{
    static std::wstring cached;
    if (!cached.empty())
        return cached;
    wchar_t path[512];
    DWORD length = GetModuleFileNameW(nullptr, path, 512);
    if (length == 0 || length >= 512) {
        static const std::wstring none;
        return none;
    }
    PathRemoveFileSpecW(path);
    cached = path;
    return cached;
}

int64_t GetFileSize64(const std::wstring& path)
{
    if (FILE* file = _wfopen(path.c_str(), L"r")) {
        _fseeki64(file, 0, SEEK_END);
        int64_t size = _ftelli64(file);
        fclose(file);
        return size;
    }
    return CFileEx::FindSize(path);
}

bool CreateDir(const std::wstring& path)
{
    if (PathFileExistsW(path.c_str()))
        return true;
    int result = SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
    if (result == 0)
        return true;
    CSingleton<TraceLogger>::Instance()->Log(2, L"CreateDir：%s ret：%d", path.c_str(), result);
    LogFileOnly(2, L"CommonUtils", 708, L"CreateDir：%s ret：%d", path.c_str(), result);
    return false;
}

bool DeleteFileIfExists(const std::wstring& path)
{
    if (!PathFileExistsW(path.c_str()))
        return true;
    return DeleteFileW(path.c_str()) != FALSE;
}

bool MoveFileReplace(const std::wstring& source, const std::wstring& target)
{
    if (!PathFileExistsW(source.c_str()))
        return false;
    return MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

DWORD RunProcessKeepHandles(const std::wstring& exe, const std::wstring& commandLine, PROCESS_INFORMATION& info,
                            const std::wstring& workDir)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workDir.empty() ? nullptr : workDir.c_str(), &startup, &info))
        return GetLastError();
    return 0;
}

DWORD RunProcess(const std::wstring& exe, const std::wstring& commandLine, PROCESS_INFORMATION* info,
                 const std::wstring& workDir)
{
    PROCESS_INFORMATION started = {};
    DWORD error = RunProcessKeepHandles(exe, commandLine, started, workDir);
    if (error)
        return error;
    CloseHandle(started.hProcess);
    CloseHandle(started.hThread);
    if (info)
        *info = started;
    return 0;
}

namespace {

void OnBrowseMessage(HWND window, UINT message, LPARAM param, LPARAM data)
{
    if (message == BFFM_INITIALIZED) {
        const auto* start = reinterpret_cast<const std::wstring*>(data);
        wchar_t current[MAX_PATH] = {};
        if (start->empty())
            GetCurrentDirectoryW(MAX_PATH, current);
        SendMessageW(window, BFFM_SETSELECTIONW, TRUE,
                     reinterpret_cast<LPARAM>(start->empty() ? current : start->c_str()));
    } else if (message == BFFM_SELCHANGED) {
        wchar_t path[MAX_PATH] = {};
        if (SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(param), path))
            SendMessageW(window, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(path));
    }
}

int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM param, LPARAM data)
{
    CCallbackGuard::Run(L"folder dialog", [&] { OnBrowseMessage(window, message, param, data); }, [] {});
    return 0;
}

} // namespace

std::wstring BrowseForFolder(HWND owner, const std::wstring& startFolder)
{
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.lpszTitle = L"选择文件夹";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
    info.lpfn = &BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(&startFolder);
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
    if (!item)
        return {};
    wchar_t path[MAX_PATH] = {};
    std::wstring chosen = SHGetPathFromIDListW(item, path) ? path : L"";
    if (!chosen.empty() && chosen.back() != L'\\')
        chosen += L'\\';
    CoTaskMemFree(item);
    return chosen;
}

std::wstring FormatSize(uint64_t bytes)
{
    static const wchar_t* const formats[] = {L"%.0fB", L"%.2fKB", L"%.2fMB", L"%.2fGB", L"%.2fTB"};
    static wchar_t result[259];
    size_t unit = 0;
    double divisor = 1;
    while (unit + 1 < 5 && static_cast<double>(bytes) >= 1000 * divisor) {
        ++unit;
        divisor *= 1024;
    }
    _snwprintf(result, 258, formats[unit], static_cast<double>(bytes) / divisor);
    result[258] = L'\0';
    return result;
}

std::wstring ParentDir(const std::wstring& path)
{
    if (path.empty())
        return {};
    std::wstring copy = path;
    for (wchar_t& c : copy)
        if (c == L'/')
            c = L'\\';
    if (copy.back() == L'\\')
        copy.pop_back();
    size_t last = copy.rfind(L'\\');
    if (last == std::wstring::npos)
        return {};
    // "C:" alone names the current folder on that drive, not its root.
    return last == 2 && copy[1] == L':' ? copy.substr(0, 3) : copy.substr(0, last);
}

std::wstring FormatString(const wchar_t* format, ...)
{
    if (!format)
        return {};
    va_list args;
    va_start(args, format);
    std::wstring text = VFormat(format, args);
    va_end(args);
    return text;
}

void FormatString(wchar_t (&buffer)[kFormatBufferUnits], const wchar_t* format, ...)
{
    buffer[0] = L'\0';
    if (!format)
        return;
    va_list args;
    va_start(args, format);
    _vsnwprintf(buffer, kFormatBufferUnits - 1, format, args);
    va_end(args);
    buffer[kFormatBufferUnits - 1] = L'\0';
}
