#include "CommonUtils.h"
#include <shlobj.h>
#include <cstdio>
#include "Runtime/CallbackGuard.h"

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
