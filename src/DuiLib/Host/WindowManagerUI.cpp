#include "DuiLib/Host/WindowManagerUI.h"
#include <algorithm>
#include <cwchar>
#include <cwctype>
#include "DuiLib/Control/ControlUI.h"
#include "DuiLib/Core/AttributeValue.h"
#include "DuiLib/Core/ScaledAttribute.h"
#include "DuiLib/Core/WindowWnd.h"
#include "DuiLib/Host/TabOrder.h"
#include "DuiLib/Render/LayeredPush.h"

namespace DuiLib {

namespace {

// The managers of the thread's windows, for the translate step.
std::vector<CWindowManagerUI*>& Managers()
{
    static std::vector<CWindowManagerUI*> managers;
    return managers;
}

template <class T>
void AddOnce(std::vector<T*>& list, T* item)
{
    if (std::find(list.begin(), list.end(), item) == list.end())
        list.push_back(item);
}

template <class T>
void RemoveFrom(std::vector<T*>& list, T* item)
{
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

} // namespace

CWindowManagerUI::CWindowManagerUI()
{
    Managers().push_back(this);
    // Modal loops of plain windows (message boxes, the edit's own window)
    // route keys through the managers as the main loop does.
    CWindowWnd::SetMessageTranslator(&CWindowManagerUI::TranslateMessage);
}

CWindowManagerUI::~CWindowManagerUI()
{
    RemoveFrom(Managers(), this);
    DestroyTree();
    // Controls the program still holds (removed without destruction) must
    // not call back into this manager.
    for (CControlUI* control : m_linked)
        control->ForgetManager();
}

void CWindowManagerUI::Init(HWND window) { m_window = window; }

void CWindowManagerUI::KeyboardUsed()
{
    if (m_keyboardCues)
        return;
    m_keyboardCues = true;
    if (m_focus)
        m_focus->Invalidate();
}

void CWindowManagerUI::WindowDestroyed()
{
    m_alive = std::make_shared<char>(); // a fresh token for a next window
    m_accessible.WindowDestroyed();
    m_timers.Clear();
    DestroyTree();
    m_input.WindowDestroyed();
    m_offscreen.Release();
    m_window = nullptr;
}

void CWindowManagerUI::DestroyTree()
{
    m_root.reset();
    RunDelayedCleanup();
    m_pendingNotify.clear();
}

bool CWindowManagerUI::AttachDialog(std::unique_ptr<CControlUI> root)
{
    if (!root)
        return false;
    SetFocus(nullptr);
    m_root = std::move(root);
    m_names.clear();
    InitControls(m_root.get(), nullptr);
    m_updateNeeded = true;
    m_firstLayout = true;
    if (m_window)
        InvalidateRect(m_window, nullptr, FALSE);
    return true;
}

void CWindowManagerUI::InitControls(CControlUI* control, CControlUI* parent)
{
    control->SetManager(this, parent, true);
    control->FindControl(
        [this](CControlUI* named) {
            if (!named->GetName().empty())
                m_names[named->GetName()] = named;
            return nullptr; // visit every control
        },
        UIFIND_ALL);
}

CControlUI* CWindowManagerUI::FindControl(const std::wstring& name) const
{
    auto it = m_names.find(name);
    return it == m_names.end() ? nullptr : it->second;
}

CControlUI* CWindowManagerUI::FindControl(POINT pt) const
{
    return m_root ? m_root->FindControl([](CControlUI* hit) { return hit; },
                                        UIFIND_VISIBLE | UIFIND_HITTEST | UIFIND_TOP_FIRST, pt)
                  : nullptr;
}

void CWindowManagerUI::ReapObjects(CControlUI* control)
{
    if (m_focus == control)
        m_focus = nullptr;
    m_input.Forget(control);
    m_accessible.Forget(control);
    if (m_root.get() == control)
        (void)m_root.release(); // destroyed by whoever is deleting it now
    m_timers.KillAll(control, m_window);
    m_optionGroups.Forget(control);
    RemovePostPaint(control);
    m_linked.erase(control);
    std::erase_if(m_pendingNotify, [control](const TNotifyMsg& msg) { return msg.pSender == control; });
    std::erase_if(m_names, [control](const auto& entry) { return entry.second == control; });
    std::erase_if(m_kept, [control](const TKeptValue& kept) { return kept.control == control; });
}

void CWindowManagerUI::AddDelayedCleanup(CControlUI* control)
{
    control->SetManager(this, nullptr, false);
    m_delayedCleanup.push_back(control);
    if (m_window)
        PostMessageW(m_window, kCleanupMessage, 0, 0);
}

void CWindowManagerUI::RunDelayedCleanup()
{
    std::vector<CControlUI*> pending;
    pending.swap(m_delayedCleanup);
    for (CControlUI* control : pending)
        delete control;
}

void CWindowManagerUI::AddPostPaint(CControlUI* control) { AddOnce(m_postPaint, control); }

void CWindowManagerUI::RemovePostPaint(CControlUI* control) { RemoveFrom(m_postPaint, control); }

// The old focus hears that it lost the focus before the new one hears that
// it has it; a control that cannot take the focus leaves none.
void CWindowManagerUI::SetFocus(CControlUI* control)
{
    if (m_window && ::GetFocus() != m_window && control != m_focus)
        ::SetFocus(m_window);
    if (control == m_focus)
        return;
    if (CControlUI* old = m_focus) {
        m_focus = nullptr;
        m_input.Send(old, UIEVENT_KILLFOCUS, 0, 0);
        std::weak_ptr<void> alive = m_alive;
        SendNotify(old, L"killfocus");
        if (alive.expired())
            return;
    }
    if (control && control->GetManager() == this && control->IsVisible() && control->IsEnabled()) {
        m_focus = control;
        m_input.Send(control, UIEVENT_SETFOCUS, 0, 0);
        m_accessible.Focused(control);
        SendNotify(control, L"setfocus");
    }
}

// A forward move while a layout is pending waits for the paint, which
// moves the focus only when nothing has taken it by then.
bool CWindowManagerUI::SetNextTabControl(bool forward)
{
    if (m_window && (GetWindowLongW(m_window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW))
        return false;
    if (m_updateNeeded && forward) {
        m_focusNeeded = true;
        if (m_window)
            InvalidateRect(m_window, nullptr, FALSE);
        return true;
    }
    m_focusNeeded = false;
    // Last: a "setfocus" listener may destroy the window and this manager.
    if (CControlUI* next = CTabOrder::Next(m_root.get(), m_focus, forward))
        SetFocus(next);
    return true;
}

void CWindowManagerUI::Invalidate(const RECT& rc)
{
    if (IsRectEmpty(&m_invalid))
        m_invalid = rc;
    else
        UnionRect(&m_invalid, &m_invalid, &rc);
    if (m_window)
        InvalidateRect(m_window, &rc, FALSE);
}

void CWindowManagerUI::Layout(const RECT& client)
{
    if (!m_root || (!m_updateNeeded && !m_root->IsUpdateNeeded()))
        return;
    m_updateNeeded = false;
    if (IsRectEmpty(&client))
        return;
    if (m_root->IsUpdateNeeded()) {
        m_root->SetPos(client);
        return;
    }
    auto needsUpdate = [](CControlUI* control) { return control->IsUpdateNeeded() ? control : nullptr; };
    while (CControlUI* control = m_root->FindControl(needsUpdate, UIFIND_VISIBLE | UIFIND_ME_FIRST))
        control->SetPos(control->GetPos());
}

void CWindowManagerUI::AddNotifier(INotifyUI* notifier) { AddOnce(m_notifiers, notifier); }
void CWindowManagerUI::RemoveNotifier(INotifyUI* notifier) { RemoveFrom(m_notifiers, notifier); }
void CWindowManagerUI::AddPreMessageFilter(IMessageFilterUI* filter) { AddOnce(m_preFilters, filter); }
void CWindowManagerUI::RemovePreMessageFilter(IMessageFilterUI* filter) { RemoveFrom(m_preFilters, filter); }
void CWindowManagerUI::AddMessageFilter(IMessageFilterUI* filter) { AddOnce(m_filters, filter); }
void CWindowManagerUI::RemoveMessageFilter(IMessageFilterUI* filter) { RemoveFrom(m_filters, filter); }

void CWindowManagerUI::AddTranslateAccelerator(ITranslateAccelerator* translator)
{
    AddOnce(m_translators, translator);
}

void CWindowManagerUI::RemoveTranslateAccelerator(ITranslateAccelerator* translator)
{
    RemoveFrom(m_translators, translator);
}

void CWindowManagerUI::SendNotify(CControlUI* control, const std::wstring& type, WPARAM wParam, LPARAM lParam,
                                  bool async)
{
    TNotifyMsg msg;
    msg.sType = type;
    msg.pSender = control;
    msg.sVirtualWnd = control ? control->GetVirtualWnd() : L"";
    msg.dwTimestamp = GetTickCount();
    msg.ptMouse = m_input.LastMouse();
    msg.wParam = wParam;
    msg.lParam = lParam;
    if (async)
        m_pendingNotify.push_back(msg);
    else
        DeliverNotify(msg);
}

// A listener that destroys the window ends the delivery: the later ones
// may have gone with it.
void CWindowManagerUI::DeliverNotify(TNotifyMsg& msg)
{
    std::vector<INotifyUI*> listeners = m_notifiers;
    std::weak_ptr<void> alive = m_alive;
    for (INotifyUI* listener : listeners) {
        listener->Notify(msg);
        if (alive.expired())
            return;
    }
}

void CWindowManagerUI::DeliverPendingNotify()
{
    std::vector<TNotifyMsg> pending;
    pending.swap(m_pendingNotify);
    for (TNotifyMsg& msg : pending)
        DeliverNotify(msg);
}

bool CWindowManagerUI::SetTimer(CControlUI* control, UINT localId, UINT elapse)
{
    return m_window && m_timers.Set(control, m_window, localId, elapse);
}

bool CWindowManagerUI::KillTimer(CControlUI* control, UINT localId)
{
    return m_timers.Kill(control, m_window, localId);
}

void CWindowManagerUI::KillTimers(CControlUI* control) { m_timers.KillAll(control, m_window); }

void CWindowManagerUI::AddDefaultAttributeList(const std::wstring& element, const std::wstring& list)
{
    m_defaultAttributes[element] = list;
}

const wchar_t* CWindowManagerUI::GetDefaultAttributeList(const std::wstring& element) const
{
    auto it = m_defaultAttributes.find(element);
    return it == m_defaultAttributes.end() ? nullptr : it->second.c_str();
}

int CWindowManagerUI::AddFont(const std::wstring& face, int size, bool bold, bool underline, bool italic,
                              bool isDefault)
{
    return m_fonts.Add(face, size, bold, underline, italic, isDefault, m_window);
}

void CWindowManagerUI::KeepMarkupValue(CControlUI* control, const wchar_t* name, const wchar_t* value)
{
    m_kept.push_back({control, name, value});
}

// Fonts and images are made again at the new scale, every kept markup value
// is applied at it, and the whole tree is laid out and painted again.
void CWindowManagerUI::SetScale(CDpiScale scale)
{
    if (scale == m_scale)
        return;
    m_scale = scale;
    m_fonts.SetScale(scale, m_window);
    m_imageCache.SetScale(scale);
    for (const TKeptValue& kept : std::vector<TKeptValue>(m_kept)) {
        const std::wstring value = CScaledAttribute::Value(kept.name, kept.value, scale);
        if (kept.control)
            kept.control->SetAttribute(kept.name.c_str(), value.c_str());
        else
            SetWindowAttribute(kept.name.c_str(), value.c_str());
    }
    if (m_root)
        m_root->NeedUpdate();
    m_updateNeeded = true;
    if (m_window)
        InvalidateRect(m_window, nullptr, FALSE);
}

void CWindowManagerUI::AddImage(const std::wstring& name, const std::wstring& type, uint32_t mask)
{
    m_imageCache.Add(name, type, mask);
}

bool CWindowManagerUI::TranslateMessage(const MSG* msg)
{
    for (HWND window = msg->hwnd; window; window = GetParent(window)) {
        for (CWindowManagerUI* manager : Managers())
            if (manager->m_window == window)
                return manager->PreMessageHandler(msg);
        if (!(GetWindowLongW(window, GWL_STYLE) & WS_CHILD))
            break;
    }
    return false;
}

// Accelerators, then pre-message filters, then the keys the manager owns:
// Tab and Shift+Tab walk the tab order, Alt+character activates the
// control with that shortcut, and Alt key-down reaches the focus.
bool CWindowManagerUI::PreMessageHandler(const MSG* msg)
{
    if (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN)
        KeyboardUsed();
    for (ITranslateAccelerator* translator : std::vector<ITranslateAccelerator*>(m_translators))
        if (translator->TranslateAccelerator(const_cast<MSG*>(msg)) == S_OK)
            return true;
    for (IMessageFilterUI* filter : std::vector<IMessageFilterUI*>(m_preFilters)) {
        bool handled = false;
        filter->MessageHandler(msg->message, msg->wParam, msg->lParam, handled);
        if (handled)
            return true;
    }
    switch (msg->message) {
    case WM_KEYDOWN:
        if (msg->wParam != VK_TAB)
            return false;
        SetNextTabControl(GetKeyState(VK_SHIFT) >= 0);
        return true;
    case WM_SYSCHAR:
        if (CControlUI* control = CTabOrder::Shortcut(m_root.get(), static_cast<wchar_t>(towupper(
                                                                            static_cast<wint_t>(msg->wParam))))) {
            std::weak_ptr<void> alive = m_alive;
            control->SetFocus();
            if (!alive.expired())
                control->Activate();
            return true;
        }
        return false;
    case WM_SYSKEYDOWN:
        if (m_focus)
            m_input.Send(m_focus, UIEVENT_SYSKEY, msg->wParam, msg->lParam);
        return false;
    default:
        return false;
    }
}

bool CWindowManagerUI::MessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (!m_window)
        return false;
    std::weak_ptr<void> alive = m_alive;
    DeliverPendingNotify();
    if (alive.expired())
        return true; // a listener ended the window: nothing is left to handle it
    for (IMessageFilterUI* filter : std::vector<IMessageFilterUI*>(m_filters)) {
        bool handled = false;
        LRESULT filtered = filter->MessageHandler(msg, wParam, lParam, handled);
        if (handled || alive.expired()) {
            result = filtered;
            return true;
        }
    }
    result = 0;
    // Input reaches controls, whose listeners may end the window.
    if (m_input.Handle(msg, wParam, lParam) || alive.expired())
        return true;
    return HandleOwnMessage(msg, wParam, lParam, result);
}

bool CWindowManagerUI::HandleOwnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (m_accessible.HandleMessage(msg, wParam, lParam, result))
        return true;
    switch (msg) {
    case WM_TIMER:
        OnTimer(wParam);
        return true;
    case WM_SIZE:
        if (m_focus)
            m_input.Send(m_focus, UIEVENT_WINDOWSIZE, wParam, lParam);
        if (m_root)
            m_root->NeedUpdate();
        return true;
    case WM_PAINT:
        return OnPaint();
    case WM_CLOSE:
        return OnClose();
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_SETCURSOR:
        if (!OnSetCursor(lParam))
            return false;
        result = TRUE;
        return true;
    case WM_GETMINMAXINFO:
        OnMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
        return false;
    case WM_PRINTCLIENT:
        PrintClient(reinterpret_cast<HDC>(wParam), lParam);
        return true;
    case kCleanupMessage:
        RunDelayedCleanup();
        return true;
    default:
        return Reflect(msg, wParam, lParam, result);
    }
}

void CWindowManagerUI::OnTimer(UINT_PTR nativeId)
{
    const TTimerRecord* record = m_timers.Fired(m_window, nativeId);
    if (record)
        m_input.Send(record->sender, UIEVENT_TIMER, record->localId, 0);
}

// Layout first, then "windowinit" once, then the frame: the listeners
// see the tree placed before anything is drawn. A listener of "windowinit"
// or "setfocus" may destroy the window, and with it this manager: the
// paint then stops without touching either.
bool CWindowManagerUI::OnPaint()
{
    RECT update;
    if (!GetUpdateRect(m_window, &update, FALSE))
        return true;
    if (!m_root) {
        ValidateRect(m_window, nullptr);
        return true;
    }
    if (m_settings.bkTrans) {
        PaintLayered();
        return true;
    }
    RECT client;
    GetClientRect(m_window, &client);
    Layout(client);
    if (!SendWindowInitOnce())
        return true;
    if (m_focusNeeded) {
        m_focusNeeded = false;
        std::weak_ptr<void> alive = m_alive;
        if (!m_focus)
            SetNextTabControl(true);
        if (alive.expired())
            return true;
    }
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_window, &ps);
    PaintFrame(dc, client, ps.rcPaint);
    EndPaint(m_window, &ps);
    m_paintedOnce = true;
    m_invalid = {0, 0, 0, 0};
    if (m_updateNeeded)
        InvalidateRect(m_window, nullptr, FALSE);
    return true;
}

// The tree, then the post-paint controls over it, offscreen when the
// surface can be made.
void CWindowManagerUI::PaintFrame(HDC dc, const RECT& client, const RECT& rc)
{
    HDC offscreen = m_offscreen.Prepare(dc, {client.right, client.bottom}, false);
    HDC target = offscreen ? offscreen : dc;
    m_root->DoPaint(target, rc);
    for (CControlUI* control : std::vector<CControlUI*>(m_postPaint))
        control->DoPostPaint(target, rc);
    if (offscreen)
        BitBlt(dc, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, offscreen, rc.left, rc.top, SRCCOPY);
    if (m_settings.showDirty) {
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FrameRect(dc, &rc, red);
        DeleteObject(red);
    }
}

bool CWindowManagerUI::SendWindowInitOnce()
{
    if (!m_firstLayout)
        return true;
    m_firstLayout = false;
    std::weak_ptr<void> alive = m_alive;
    SendNotify(m_root.get(), L"windowinit");
    return !alive.expired();
}

// A transparent background: the whole client area is laid out and painted
// into a 32-bit bitmap and pushed with per-pixel alpha.
void CWindowManagerUI::PaintLayered()
{
    LONG exStyle = GetWindowLongW(m_window, GWL_EXSTYLE);
    if (!(exStyle & WS_EX_LAYERED))
        SetWindowLongW(m_window, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    RECT client;
    GetClientRect(m_window, &client);
    RECT inner = client;
    if (m_settings.shadow) {
        const RECT& b = m_settings.shadowBorder;
        inner = {client.left + b.left, client.top + b.top, client.right - b.right, client.bottom - b.bottom};
    }
    Layout(inner);
    if (!SendWindowInitOnce())
        return;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_window, &ps);
    if (HDC surface = m_offscreen.Prepare(dc, {client.right, client.bottom}, true)) {
        m_root->DoPaint(surface, inner);
        RECT window;
        GetWindowRect(m_window, &window);
        CLayeredPush::Push(&UpdateLayeredWindow, m_window, surface, {window.left, window.top},
                           {client.right, client.bottom});
    }
    EndPaint(m_window, &ps);
    m_paintedOnce = true;
}

// Releasing the mouse may click and losing the focus notifies: either
// listener may end the window before the owner gets the focus back.
bool CWindowManagerUI::OnClose()
{
    std::weak_ptr<void> alive = m_alive;
    m_input.Release();
    if (alive.expired())
        return true;
    SetFocus(nullptr);
    if (alive.expired())
        return true;
    if (HWND owner = GetWindow(m_window, GW_OWNER))
        ::SetFocus(owner);
    return false;
}

bool CWindowManagerUI::OnSetCursor(LPARAM lParam)
{
    if (LOWORD(lParam) != HTCLIENT)
        return false;
    POINT pt;
    GetCursorPos(&pt);
    ScreenToClient(m_window, &pt);
    CControlUI* control = FindControl(pt);
    if (!control || !(control->GetControlFlags() & UIFLAG_SETCURSOR))
        return false;
    m_input.Send(control, UIEVENT_SETCURSOR, 0, lParam);
    return true;
}

void CWindowManagerUI::OnMinMaxInfo(MINMAXINFO* info) const
{
    const SIZE& mn = m_settings.minInfo;
    const SIZE& mx = m_settings.maxInfo;
    if (mn.cx > 0)
        info->ptMinTrackSize.x = mn.cx;
    if (mn.cy > 0)
        info->ptMinTrackSize.y = mn.cy;
    if (mx.cx > 0)
        info->ptMaxTrackSize.x = mx.cx;
    if (mx.cy > 0)
        info->ptMaxTrackSize.y = mx.cy;
}

// Commands, colour requests and notifications of native child windows go
// back to the child that sent them, offset by the reflection base.
bool CWindowManagerUI::Reflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    constexpr UINT kReflectBase = 0x2000;
    HWND child = nullptr;
    switch (msg) {
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        child = reinterpret_cast<HWND>(lParam);
        break;
    case WM_NOTIFY:
        child = lParam ? reinterpret_cast<NMHDR*>(lParam)->hwndFrom : nullptr;
        break;
    default:
        return false;
    }
    if (!child)
        return false;
    result = SendMessageW(child, kReflectBase + msg, wParam, lParam);
    return true;
}

void CWindowManagerUI::PrintClient(HDC dc, LPARAM flags)
{
    if (!m_root)
        return;
    RECT client;
    GetClientRect(m_window, &client);
    m_root->DoPaint(dc, client);
    if (!(flags & PRF_CHILDREN))
        return;
    for (HWND child = GetWindow(m_window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rc;
        GetWindowRect(child, &rc);
        MapWindowPoints(nullptr, m_window, reinterpret_cast<POINT*>(&rc), 2);
        POINT old;
        OffsetViewportOrgEx(dc, rc.left, rc.top, &old);
        SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_NONCLIENT | PRF_CLIENT | PRF_CHILDREN);
        SetViewportOrgEx(dc, old.x, old.y, nullptr);
    }
}

void CWindowManagerUI::SetWindowAttribute(const wchar_t* name, const wchar_t* value)
{
    if (wcscmp(name, L"size") == 0)
        ApplySize(CAttributeValue::Size(value));
    else if (m_settings.Set(name, value) && wcscmp(name, L"alpha") == 0)
        ApplyAlpha();
}

// Constant opacity of the whole window.
void CWindowManagerUI::ApplyAlpha()
{
    if (!m_window || m_settings.alpha >= 255)
        return;
    SetWindowLongW(m_window, GWL_EXSTYLE, GetWindowLongW(m_window, GWL_EXSTYLE) | WS_EX_LAYERED);
    SetLayeredWindowAttributes(m_window, 0, static_cast<BYTE>(m_settings.alpha < 0 ? 0 : m_settings.alpha),
                               LWA_ALPHA);
}

// A window made without a size takes the skin's; it is resized at once
// unless a tree is attached already.
void CWindowManagerUI::ApplySize(SIZE size)
{
    m_skinSize = size;
    const RECT& r = m_initialRect;
    if (r.left || r.top || r.right || r.bottom)
        return;
    m_initialRect = {0, 0, size.cx, size.cy};
    if (!m_root && m_window)
        SetWindowPos(m_window, nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

} // namespace DuiLib
