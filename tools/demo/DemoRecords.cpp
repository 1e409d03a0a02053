#include "DemoRecords.h"
#include <windows.h>
#include <shlobj.h>
#include "Runtime/StringConvert.h"

namespace DemoRecords {

std::wstring CommonAppDataFolder()
{
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path)))
        return L"";
    return path;
}

void LogCommandLine(const wchar_t* program)
{
    std::wstring folder = CommonAppDataFolder() + L"\\TarvoDemo";
    SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    HANDLE file = CreateFileW((folder + L"\\commands.log").c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    std::string line = WideToUtf8(std::wstring(program) + L"\t" + GetCommandLineW() + L"\n");
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

} // namespace DemoRecords
