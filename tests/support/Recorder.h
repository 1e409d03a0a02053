#pragma once
// The command-line recorder (RecordArgs.exe, beside the test binary) as a
// program the installer starts: copies of it, and what a copy wrote beside
// itself (".args", its command line; ".cwd", the folder it started in).
#include <windows.h>
#include <fstream>
#include <string>
#include "Runtime/FileSystem.h"

namespace Recorder {

// A copy as folder\name; empty when it could not be made.
inline std::wstring CopyTo(const std::wstring& folder, const wchar_t* name = L"TarvoLauncher.exe")
{
    const std::wstring exe = folder + L"\\" + name;
    return CopyFileW((GetModuleDir() + L"\\RecordArgs.exe").c_str(), exe.c_str(), FALSE) ? exe : L"";
}

// The first line a copy wrote under suffix, once complete; waits up to 10 s.
inline std::string FirstLine(const std::wstring& exe, const wchar_t* suffix = L".args")
{
    for (int i = 0; i < 400; ++i, Sleep(25)) {
        std::ifstream file((exe + suffix).c_str());
        std::string line;
        if (std::getline(file, line) && !file.eof())
            return line;
    }
    return "(nothing recorded)";
}

} // namespace Recorder
