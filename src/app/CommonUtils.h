#pragma once
// Path and string helpers shared by the installer window and the update
// module. None throws; failures come back as false, -1, an empty string or a
// platform error code. Any thread, except FormatSize (one shared buffer) and
// the first GetModuleDir (fills a shared cache): UI thread only.
#include <windows.h>
#include <cstdint>
#include <string>

const std::wstring& GetModuleDir();
int64_t GetFileSize64(const std::wstring& path);
bool CreateDir(const std::wstring& path);
bool DeleteFileIfExists(const std::wstring& path);
bool MoveFileReplace(const std::wstring& source, const std::wstring& target);
// Starts a process in workDir (the caller's current folder when empty) and
// closes its handles; info (if given) keeps only ids. A program started in
// the folder we were started from (often a download folder) would find DLLs
// planted there, so callers pass the program's own folder.
DWORD RunProcess(const std::wstring& exe, const std::wstring& commandLine, PROCESS_INFORMATION* info = nullptr,
                 const std::wstring& workDir = {});
// Starts a process and leaves both handles in info for the caller to close.
DWORD RunProcessKeepHandles(const std::wstring& exe, const std::wstring& commandLine, PROCESS_INFORMATION& info,
                            const std::wstring& workDir = {});
std::wstring BrowseForFolder(HWND owner, const std::wstring& startFolder);
std::wstring FormatSize(uint64_t bytes);
std::wstring ParentDir(const std::wstring& path);
std::wstring FormatString(const wchar_t* format, ...);
// Formats into a caller's buffer of kFormatBufferUnits units (cut to fit).
constexpr size_t kFormatBufferUnits = 2048;
void FormatString(wchar_t (&buffer)[kFormatBufferUnits], const wchar_t* format, ...);
