#pragma once
// Counts the access violations raised in this program's own code while it
// lives, including those the platform then swallows: Wine, like 64-bit
// Windows, ignores an exception inside a window procedure that the system
// called back, so a use after free there would otherwise pass unseen.
// One at a time, on any thread.
#include <windows.h>
#include <atomic>

class FaultWatch {
public:
    FaultWatch() : m_handler(AddVectoredExceptionHandler(1, &FaultWatch::Seen)) { s_faults = 0; }
    ~FaultWatch() { RemoveVectoredExceptionHandler(m_handler); }
    FaultWatch(const FaultWatch&) = delete;
    FaultWatch& operator=(const FaultWatch&) = delete;

    int Faults() const { return s_faults; }

private:
    static LONG CALLBACK Seen(EXCEPTION_POINTERS* info)
    {
        const EXCEPTION_RECORD* record = info->ExceptionRecord;
        if (record->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && InThisProgram(record->ExceptionAddress))
            ++s_faults;
        return EXCEPTION_CONTINUE_SEARCH;
    }
    static bool InThisProgram(const void* address)
    {
        const auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const auto* at = static_cast<const BYTE*>(address);
        return at >= base && at < base + nt->OptionalHeader.SizeOfImage;
    }

    static inline std::atomic<int> s_faults{0};
    void* m_handler;
};
