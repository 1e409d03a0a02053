#include "DuiLib/Host/InputRouter.h"
#include <windowsx.h>
#include "DuiLib/Control/ControlUI.h"
#include "DuiLib/Host/WindowManagerUI.h"

namespace DuiLib {

namespace {

WORD KeyState()
{
    WORD state = 0;
    if (GetKeyState(VK_CONTROL) < 0)
        state |= MK_CONTROL;
    if (GetKeyState(VK_RBUTTON) < 0)
        state |= MK_RBUTTON;
    if (GetKeyState(VK_LBUTTON) < 0)
        state |= MK_LBUTTON;
    if (GetKeyState(VK_SHIFT) < 0)
        state |= MK_SHIFT;
    if (GetKeyState(VK_MENU) < 0)
        state |= 0x20; // Alt
    return state;
}

// The point of the move that stands for the mouse leaving the window.
constexpr LPARAM kLeftWindow = static_cast<LPARAM>(-1);

POINT ClientPoint(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

} // namespace

HWND CInputRouter::Window() const { return m_manager.GetPaintWindow(); }

CControlUI* CInputRouter::Hit(POINT pt) const
{
    CControlUI* control = m_manager.FindControl(pt);
    return control && control->GetManager() == &m_manager ? control : nullptr;
}

void CInputRouter::Send(CControlUI* target, int type, WPARAM wParam, LPARAM lParam, WORD keyState) const
{
    TControlEvent event;
    event.Type = type;
    event.pSender = target;
    event.dwTimestamp = GetTickCount();
    event.ptMouse = m_lastMouse;
    event.chKey = static_cast<wchar_t>(type == UIEVENT_SCROLLWHEEL ? 0 : wParam);
    event.wKeyState = keyState;
    event.wParam = wParam;
    event.lParam = lParam;
    target->Event(event);
}

bool CInputRouter::Handle(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_MOUSEMOVE:
        return MouseMove(wParam, lParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
        return ButtonDown(msg, wParam, lParam);
    case WM_LBUTTONUP:
        return ButtonUp(wParam, lParam);
    case WM_CONTEXTMENU:
        return ContextMenu(wParam, lParam);
    case WM_MOUSEWHEEL:
        return Wheel(wParam, lParam);
    case WM_MOUSEHOVER:
        return Hover(wParam, lParam);
    case WM_MOUSELEAVE:
        Leave();
        return false;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
        return Key(msg, wParam, lParam);
    default:
        return false;
    }
}

// The old hover control hears it was left before the new one hears it was
// entered; the move itself goes to the click target while a button is down.
bool CInputRouter::MouseMove(WPARAM wParam, LPARAM lParam)
{
    // The move that says the mouse has left arms nothing: asked while the
    // mouse is outside, the platform would answer with another leave.
    if ((!m_hoverArmed || !m_leaveArmed) && lParam != kLeftWindow) {
        TRACKMOUSEEVENT track = {sizeof(track), TME_HOVER | TME_LEAVE, Window(), m_toolTip.InitialDelay()};
        TrackMouseEvent(&track);
        m_hoverArmed = m_leaveArmed = true;
    }
    m_lastMouse = ClientPoint(lParam);
    CControlUI* hit = m_manager.FindControl(m_lastMouse);
    if (hit && hit->GetManager() != &m_manager)
        return false;
    if (hit != m_hover && m_hover) {
        CControlUI* old = m_hover;
        m_hover = nullptr;
        Send(old, UIEVENT_MOUSELEAVE, wParam, lParam, static_cast<WORD>(wParam));
        m_toolTip.Hide();
    }
    if (hit != m_hover && hit) {
        m_hover = hit;
        Send(hit, UIEVENT_MOUSEENTER, wParam, lParam, static_cast<WORD>(wParam));
    }
    if (CControlUI* target = m_click ? m_click : m_hover)
        Send(target, UIEVENT_MOUSEMOVE, wParam, lParam, static_cast<WORD>(wParam));
    return false;
}

bool CInputRouter::ButtonDown(UINT msg, WPARAM wParam, LPARAM lParam)
{
    ::SetFocus(Window());
    m_lastMouse = ClientPoint(lParam);
    CControlUI* hit = Hit(m_lastMouse);
    if (!hit)
        return false;
    m_click = hit;
    // The focus change notifies listeners, which may destroy the control,
    // the window or the whole manager with this router.
    std::weak_ptr<void> alive = m_manager.Liveness();
    hit->SetFocus();
    if (alive.expired())
        return true; // handled: nothing of the window is left to pass it to
    if (m_click != hit)
        return false;
    SetCapture(Window());
    int type = msg == WM_LBUTTONDOWN ? UIEVENT_BUTTONDOWN
                                     : (msg == WM_LBUTTONDBLCLK ? UIEVENT_DBLCLICK : UIEVENT_RBUTTONDOWN);
    Send(hit, type, wParam, lParam, static_cast<WORD>(wParam));
    return false;
}

bool CInputRouter::ButtonUp(WPARAM wParam, LPARAM lParam)
{
    m_lastMouse = ClientPoint(lParam);
    if (GetCapture() == Window())
        ReleaseCapture();
    CControlUI* target = m_click;
    m_click = nullptr;
    if (target)
        Send(target, UIEVENT_BUTTONUP, wParam, lParam, static_cast<WORD>(wParam));
    return false;
}

bool CInputRouter::ContextMenu(WPARAM wParam, LPARAM lParam)
{
    POINT pt = ClientPoint(lParam);
    ScreenToClient(Window(), &pt);
    m_lastMouse = pt;
    CControlUI* target = m_click;
    if (!target)
        return false;
    m_click = nullptr;
    ReleaseCapture();
    Send(target, UIEVENT_CONTEXTMENU, wParam, lParam);
    return false;
}

// wParam of the event: 1 for a downward turn, 0 for upward.
bool CInputRouter::Wheel(WPARAM wParam, LPARAM lParam)
{
    POINT pt = ClientPoint(lParam);
    ScreenToClient(Window(), &pt);
    m_lastMouse = pt;
    CControlUI* hit = Hit(pt);
    if (!hit)
        return false;
    Send(hit, UIEVENT_SCROLLWHEEL, GET_WHEEL_DELTA_WPARAM(wParam) < 0 ? 1 : 0, lParam);
    SendMessageW(Window(), WM_MOUSEMOVE, 0, MAKELPARAM(m_lastMouse.x, m_lastMouse.y));
    return true;
}

// The platform ends hover tracking with this message but keeps watching for
// the leave: the leave must still reach the hover control, even when the next
// movement goes straight out of the window.
bool CInputRouter::Hover(WPARAM wParam, LPARAM lParam)
{
    m_hoverArmed = false;
    POINT pt = ClientPoint(lParam);
    CControlUI* hit = m_manager.FindControl(pt);
    if (!hit)
        return false;
    if (m_hover)
        Send(m_hover, UIEVENT_MOUSEHOVER, wParam, lParam);
    if (!hit->GetToolTip().empty())
        m_toolTip.Show(Window(), hit->GetToolTip(), hit->GetPos(), hit->GetToolTipWidth());
    return true;
}

void CInputRouter::Leave()
{
    m_toolTip.Hide();
    const bool armed = m_leaveArmed;
    m_hoverArmed = m_leaveArmed = false;
    if (armed)
        SendMessageW(Window(), WM_MOUSEMOVE, 0, kLeftWindow);
}

// Key up goes to the control that took the key down, wherever the focus is.
bool CInputRouter::Key(UINT msg, WPARAM wParam, LPARAM lParam)
{
    CControlUI* target = msg == WM_KEYUP ? m_keyTarget : m_manager.GetFocus();
    if (!target)
        return false;
    if (msg == WM_KEYDOWN)
        m_keyTarget = target;
    else if (msg == WM_KEYUP)
        m_keyTarget = nullptr;
    int type = msg == WM_KEYDOWN ? UIEVENT_KEYDOWN : (msg == WM_KEYUP ? UIEVENT_KEYUP : UIEVENT_CHAR);
    Send(target, type, wParam, lParam, KeyState());
    return false;
}

void CInputRouter::Release()
{
    if (CControlUI* hover = m_hover) {
        m_hover = nullptr;
        Send(hover, UIEVENT_MOUSELEAVE, 0, 0);
    }
    if (CControlUI* click = m_click) {
        m_click = nullptr;
        Send(click, UIEVENT_BUTTONUP, 0, 0);
    }
}

void CInputRouter::Forget(CControlUI* control)
{
    for (CControlUI** target : {&m_hover, &m_click, &m_keyTarget})
        if (*target == control)
            *target = nullptr;
}

} // namespace DuiLib
