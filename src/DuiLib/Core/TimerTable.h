#pragma once
// The control timers of one window manager. Each record ties a control and
// the caller's local id to a native window timer; native ids run from 17 and
// wrap modulo 255, so a window never hands out more than 255 at once. A
// killed record stays for reuse by the same control and local id. The
// native calls are passed in so that the bookkeeping can be exercised
// without a window. UI thread only; the table refers to controls, it never
// owns them.
#include <windows.h>
#include <vector>

namespace DuiLib {

class CControlUI;

struct TTimerRecord {
    CControlUI* sender = nullptr;
    UINT localId = 0;
    HWND window = nullptr;
    UINT_PTR nativeId = 0;
    bool killed = false;
};

class CTimerTable {
public:
    using StartFn = bool (*)(HWND window, UINT_PTR nativeId, UINT elapse);
    using StopFn = void (*)(HWND window, UINT_PTR nativeId);

    CTimerTable();
    CTimerTable(StartFn start, StopFn stop) : m_start(start), m_stop(stop) {}

    // False when the timer runs already or the native timer cannot start.
    bool Set(CControlUI* sender, HWND window, UINT localId, UINT elapse);
    bool Kill(CControlUI* sender, HWND window, UINT localId);
    // Stops and forgets every timer of the control (it is being removed).
    void KillAll(CControlUI* sender, HWND window);
    // Stops everything; the window is going away.
    void Clear();
    // The live record behind a native timer message, or nothing.
    const TTimerRecord* Fired(HWND window, UINT_PTR nativeId) const;
    const std::vector<TTimerRecord>& Records() const { return m_records; }

private:
    TTimerRecord* Find(CControlUI* sender, HWND window, UINT localId);

    StartFn m_start;
    StopFn m_stop;
    std::vector<TTimerRecord> m_records;
    UINT_PTR m_lastId = 4096;
};

} // namespace DuiLib
