#pragma once
// A window's side of screen readers: answers WM_GETOBJECT for the client
// area with the window's CAccessibleWindow (made on the first request, held
// until the window goes), tells readers what changed (the focus, the set of
// visible controls, texts and a progress bar's whole percent at most once a
// second), and runs a reader's default action as a click, posted to
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
    // Tells readers the set of visible controls changed, once for all the
    // changes of one pass.
    static constexpr UINT kReorderMessage = WM_APP + 3;
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
    // A text, or a bar's whole percent, changed: told at most once a second
    // per control, the latest held change once the second is over.
    void Changed(CControlUI* control);
    void Forget(CControlUI* control) { m_pacer.Forget(control); }
    // Readers still holding the object are cut off.
    void WindowDestroyed();

private:
    bool GetObject(WPARAM wParam, LPARAM lParam, LRESULT& result);
    void RunAction(CControlUI* control);
    void FlushHeld();
    // The name of most controls, the value of an edit or a bar.
    void TellChange(CControlUI* control);
    void Tell(DWORD event, CControlUI* control, bool orWindow);

    CWindowManagerUI& m_manager;
    CAccessibleWindow* m_object = nullptr;
    CEventPacer m_pacer;
    bool m_timerRunning = false;
    bool m_reorderPosted = false;
};

} // namespace DuiLib
