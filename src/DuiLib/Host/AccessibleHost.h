#pragma once
// A window's side of screen readers: answers WM_GETOBJECT for the client
// area with the window's CAccessibleWindow (made on the first request, held
// until the window goes), tells readers what changed (the focus, the set of
// visible controls, texts at most once a second, a progress bar on every
// whole percent), and runs a reader's default action as a click, posted to
// the window. Owned by the window's manager; UI thread only. It refers to
// controls and forgets them when they are destroyed.
#include <windows.h>
#include "DuiLib/Core/EventPacer.h"

namespace DuiLib {

class CAccessibleWindow;
class CControlUI;
class CWindowManagerUI;

class CAccessibleHost {
public:
    // The posted default action; wParam is the control.
    static constexpr UINT kActionMessage = WM_APP + 2;
    // The window timer that lets held text changes out.
    static constexpr UINT_PTR kPaceTimer = 0x7AC5;

    explicit CAccessibleHost(CWindowManagerUI& manager) : m_manager(manager) {}
    ~CAccessibleHost() { WindowDestroyed(); }
    CAccessibleHost(const CAccessibleHost&) = delete;
    CAccessibleHost& operator=(const CAccessibleHost&) = delete;

    // True when the message was this host's, with its result.
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool PostAction(CControlUI* control);

    void Focused(CControlUI* control);
    void VisibilityChanged();
    void TextChanged(CControlUI* control);
    void PercentChanged(CControlUI* control);
    void Forget(CControlUI* control) { m_pacer.Forget(control); }
    // Readers still holding the object are cut off.
    void WindowDestroyed();

private:
    bool GetObject(WPARAM wParam, LPARAM lParam, LRESULT& result);
    void RunAction(CControlUI* control);
    void FlushHeld();
    // A text change: the name of most controls, the value of an edit.
    void TellText(CControlUI* control);
    void Tell(DWORD event, CControlUI* control, bool orWindow);

    CWindowManagerUI& m_manager;
    CAccessibleWindow* m_object = nullptr;
    CEventPacer m_pacer;
    bool m_timerRunning = false;
};

} // namespace DuiLib
