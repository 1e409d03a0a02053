#pragma once
// DLLs of the system, loaded from System32 and nowhere else. The installer
// runs as administrator from a folder that holds whatever a browser saved
// there; a DLL found beside the program or in the current folder would run
// with those rights. Any thread; modules stay loaded for the process's life.
#include <windows.h>

class CSystemLibrary {
public:
    // From here on the process's own loads, delay-loaded imports and the
    // loads that system DLLs make for us search System32 only. The first
    // thing the program does, before anything else is loaded. Wine's own
    // DLLs do not always keep to it when they load a dependency late (its
    // input-method layer loading COM, say): such a DLL is loaded from
    // System32 first, so that their load finds it loaded.
    static void RestrictSearchToSystem32();

    // The module from System32, or null.
    static HMODULE Load(const wchar_t* name);

    // An export of a System32 DLL as a function pointer, or null.
    template <class Function>
    static Function Find(const wchar_t* dll, const char* name)
    {
        HMODULE module = Load(dll);
        return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
    }
};
