// A DLL saved beside the installer, as a browser saves files into its
// download folder, under the name of a system DLL the installer uses. If
// anything loads it, it leaves "<its own path>.loaded". Every export of the
// system DLL it stands for is this one function, which does nothing and
// answers 0 (success for most of them), so that a program that does load it
// still starts and the marker is seen.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        wchar_t path[MAX_PATH + 8] = {};
        const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
        lstrcpyW(path + length, L".loaded");
        CloseHandle(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    return TRUE;
}

extern "C" long long PlantedStub() { return 0; }
