#pragma once
// The mouse and keyboard side of a window manager: which control is under
// the mouse (hover), which one took the last button-down (click target,
// with the mouse captured) and which one took the last key-down, and the
// events each of them receives. Also the hover tooltip. Owned by its
// manager; it refers to controls and forgets them when they are destroyed.
// UI thread only.
#include <windows.h>
#include "DuiLib/Core/ToolTipWindow.h"

namespace DuiLib {

class CControlUI;
class CWindowManagerUI;

class CInputRouter {
public:
    explicit CInputRouter(CWindowManagerUI& manager) : m_manager(manager) {}

    // True when the message was a mouse or key message it handled.
    bool Handle(UINT msg, WPARAM wParam, LPARAM lParam);
    // An event to a control, stamped with the last mouse position.
    void Send(CControlUI* target, int type, WPARAM wParam, LPARAM lParam, WORD keyState = 0) const;
    POINT LastMouse() const { return m_lastMouse; }
    // The window is closing: hover and click targets hear that it is over.
    void Release();
    void Forget(CControlUI* control);
    void WindowDestroyed() { m_toolTip.Destroy(); }

private:
    bool MouseMove(WPARAM wParam, LPARAM lParam);
    bool ButtonDown(UINT msg, WPARAM wParam, LPARAM lParam);
    bool ButtonUp(WPARAM wParam, LPARAM lParam);
    bool ContextMenu(WPARAM wParam, LPARAM lParam);
    bool Wheel(WPARAM wParam, LPARAM lParam);
    bool Hover(WPARAM wParam, LPARAM lParam);
    void Leave();
    bool Key(UINT msg, WPARAM wParam, LPARAM lParam);
    // The control under a client point if it belongs to this window.
    CControlUI* Hit(POINT pt) const;
    HWND Window() const;

    CWindowManagerUI& m_manager;
    CControlUI* m_hover = nullptr;
    CControlUI* m_click = nullptr;
    CControlUI* m_keyTarget = nullptr;
    POINT m_lastMouse = {0, 0};
    // What the platform was last asked to report: a hover, a leave.
    bool m_hoverArmed = false, m_leaveArmed = false;
    CToolTipWindow m_toolTip;
};

} // namespace DuiLib
