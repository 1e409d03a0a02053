#include "FileSystem.h"
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <cstdio>
#include "Runtime/FileEx.h"
#include "Runtime/LogSites.h"

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

ErrorPair CreateDir(const std::wstring& path)
{
    if (PathFileExistsW(path.c_str()))
        return {};
    int result = SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
    if (result == 0)
        return {};
    CSingleton<TraceLogger>::Instance()->Log(2, L"CreateDir：%s ret：%d", path.c_str(), result);
    LogFileOnly(2, L"CommonUtils", __LINE__, L"CreateDir：%s ret：%d", path.c_str(), result);
    return {kErrorSys, result};
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
