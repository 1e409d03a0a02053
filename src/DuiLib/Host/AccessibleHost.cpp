#include "DuiLib/Host/AccessibleHost.h"
#include <oleacc.h>
#include <algorithm>
#include <vector>
#include "DuiLib/Control/ControlUI.h"
#include "DuiLib/Host/AccessibleItem.h"
#include "DuiLib/Host/AccessibleWindow.h"
#include "DuiLib/Host/WindowManagerUI.h"
#include "Runtime/SystemLibrary.h"

namespace DuiLib {

namespace {

constexpr UINT kPaceCheckMs = 250;

bool Listed(CWindowManagerUI& manager, CControlUI* control)
{
    std::vector<CControlUI*> children = CAccessibleItem::Children(manager.GetRoot());
    return std::find(children.begin(), children.end(), control) != children.end();
}

} // namespace

bool CAccessibleHost::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (msg) {
    case WM_GETOBJECT:
        return GetObject(wParam, lParam, result);
    case kActionMessage:
        RunAction(reinterpret_cast<CControlUI*>(wParam));
        result = 0;
        return true;
    case kReorderMessage:
        m_reorderPosted = false;
        Tell(EVENT_OBJECT_REORDER, nullptr, true);
        result = 0;
        return true;
    case WM_TIMER:
        if (wParam != kPaceTimer)
            return false;
        FlushHeld();
        result = 0;
        return true;
    default:
        return false;
    }
}

// Only the client area is ours; the rest stays the platform's.
bool CAccessibleHost::GetObject(WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (static_cast<LONG>(static_cast<DWORD>(lParam)) != OBJID_CLIENT || !m_manager.GetPaintWindow())
        return false;
    using FromObject = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
    auto fromObject = CSystemLibrary::Find<FromObject>(L"oleacc.dll", "LresultFromObject");
    if (!fromObject)
        return false;
    if (!m_object)
        m_object = new CAccessibleWindow(m_manager);
    result = fromObject(__uuidof(IAccessible), wParam, m_object);
    return result > 0;
}

bool CAccessibleHost::PostAction(CControlUI* control)
{
    HWND window = m_manager.GetPaintWindow();
    return window && PostMessageW(window, kActionMessage, reinterpret_cast<WPARAM>(control), 0);
}

// The control may have gone or been hidden since the reader asked.
void CAccessibleHost::RunAction(CControlUI* control)
{
    if (Listed(m_manager, control))
        control->Activate();
}

void CAccessibleHost::Focused(CControlUI* control) { Tell(EVENT_OBJECT_FOCUS, control, true); }

// A page change hides one page and shows another: one event for both.
void CAccessibleHost::VisibilityChanged()
{
    HWND window = m_manager.GetPaintWindow();
    if (window && !m_reorderPosted)
        m_reorderPosted = PostMessageW(window, kReorderMessage, 0, 0) != FALSE;
}

void CAccessibleHost::Changed(CControlUI* control)
{
    if (!m_manager.GetPaintWindow() || !Listed(m_manager, control))
        return;
    if (m_pacer.Offer(control, GetTickCount())) {
        TellChange(control);
        return;
    }
    HWND window = m_manager.GetPaintWindow();
    if (!m_timerRunning && window)
        m_timerRunning = ::SetTimer(window, kPaceTimer, kPaceCheckMs, nullptr) != 0;
}

void CAccessibleHost::FlushHeld()
{
    for (const void* source : m_pacer.TakeDue(GetTickCount()))
        TellChange(static_cast<CControlUI*>(const_cast<void*>(source)));
    if (!m_pacer.HasHeld() && m_timerRunning) {
        KillTimer(m_manager.GetPaintWindow(), kPaceTimer);
        m_timerRunning = false;
    }
}

void CAccessibleHost::TellChange(CControlUI* control)
{
    const EAccessKind kind = CAccessibleItem::FactsOf(*control).kind;
    const bool value = kind == EAccessKind::Edit || kind == EAccessKind::Progress;
    Tell(value ? EVENT_OBJECT_VALUECHANGE : EVENT_OBJECT_NAMECHANGE, control, false);
}

// A control a reader does not see (a page, a hidden one) is told as the
// window itself, or not at all.
void CAccessibleHost::Tell(DWORD event, CControlUI* control, bool orWindow)
{
    HWND window = m_manager.GetPaintWindow();
    if (!window)
        return;
    std::vector<CControlUI*> children = CAccessibleItem::Children(m_manager.GetRoot());
    auto it = std::find(children.begin(), children.end(), control);
    if (it == children.end() && !orWindow)
        return;
    LONG child = it == children.end() ? CHILDID_SELF : static_cast<LONG>(it - children.begin()) + 1;
    NotifyWinEvent(event, window, OBJID_CLIENT, child);
}

void CAccessibleHost::WindowDestroyed()
{
    m_timerRunning = false;
    m_reorderPosted = false;
    m_pacer = CEventPacer();
    if (!m_object)
        return;
    m_object->Disconnect();
    CoDisconnectObject(m_object, 0);
    m_object->Release();
    m_object = nullptr;
}

} // namespace DuiLib
