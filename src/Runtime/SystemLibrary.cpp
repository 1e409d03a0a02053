#include "SystemLibrary.h"
#include <string>

namespace {

// Present from Windows 8 on, and on Windows 7 with its loader update.
using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

SetDefaultDllDirectoriesFn DefaultDirectoriesSetter()
{
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return kernel ? reinterpret_cast<SetDefaultDllDirectoriesFn>(
                        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")))
                  : nullptr;
}

} // namespace

void CSystemLibrary::RestrictSearchToSystem32()
{
    SetDefaultDllDirectoriesFn setDefault = DefaultDirectoriesSetter();
    // Without the loader update the current folder at least leaves the search.
    if (!setDefault || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32))
        SetDllDirectoryW(L"");
}

HMODULE CSystemLibrary::Load(const wchar_t* name)
{
    if (HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32))
        return module;
    // A loader without the search flags refuses them: name the file fully.
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    return LoadLibraryExW((std::wstring(folder) + L"\\" + name).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
