#include "Process.h"
#include <vector>

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
