#pragma once
// Starting other programs. Any thread; failures come back as the platform's
// error code, 0 for success.
#include <windows.h>
#include <string>

// Starts a process in workDir (the caller's current folder when empty) and
// closes its handles; info (if given) keeps only ids. A program started in
// the folder we were started from (often a download folder) would find DLLs
// planted there, so callers pass the program's own folder.
DWORD RunProcess(const std::wstring& exe, const std::wstring& commandLine, PROCESS_INFORMATION* info = nullptr,
                 const std::wstring& workDir = {});
// Starts a process and leaves both handles in info for the caller to close.
DWORD RunProcessKeepHandles(const std::wstring& exe, const std::wstring& commandLine, PROCESS_INFORMATION& info,
                            const std::wstring& workDir = {});
