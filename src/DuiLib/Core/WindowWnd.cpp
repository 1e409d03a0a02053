#include "DuiLib/Core/WindowWnd.h"
#include "DuiLib/Core/SkinResources.h"
#include "Runtime/CallbackGuard.h"

namespace DuiLib {

// A superclass takes the platform class's procedure and extras under our
// own name; a class that exists already counts as registered.
bool CWindowWnd::RegisterWindowClass()
{
    HINSTANCE instance = CSkinResources::GetInstance();
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    if (const wchar_t* super = GetSuperClassName()) {
        if (!GetClassInfoExW(nullptr, super, &wc) && !GetClassInfoExW(instance, super, &wc))
            return false;
        wc.cbSize = sizeof(wc);
        m_superProc = wc.lpfnWndProc;
    } else {
        wc.style = GetClassStyle();
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    }
    wc.lpfnWndProc = &CWindowWnd::WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = GetWindowClassName();
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CWindowWnd::Create(HWND parent, const wchar_t* name, DWORD style, DWORD exStyle, int x, int y, int cx, int cy,
                        HMENU menu)
{
    if (!RegisterWindowClass())
        return nullptr;
    // The platform's answer, not m_hWnd: a window that failed during
    // creation may already have freed an object that deletes itself.
    return CreateWindowExW(exStyle, GetWindowClassName(), name, style, x, y, cx, cy, parent, menu,
                           CSkinResources::GetInstance(), this);
}

// A handler that throws leaves the message to the procedure a plain
// window of the class would have had. The last message's bookkeeping runs
// whatever its handler did, or the object would never hear of the end.
LRESULT CALLBACK CWindowWnd::WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CWindowWnd* self = Attach(hWnd, msg, lParam);
    if (!self)
        return DefWindowProcW(hWnd, msg, wParam, lParam);
    WNDPROC super = self->m_superProc; // the handler may free the object
    LRESULT result = CCallbackGuard::Run(
        L"window procedure", [&] { return self->HandleMessage(msg, wParam, lParam); },
        [&] {
            return super ? CallWindowProcW(super, hWnd, msg, wParam, lParam)
                         : DefWindowProcW(hWnd, msg, wParam, lParam);
        });
    if (msg == WM_NCDESTROY)
        self->WindowGone(hWnd); // may delete the object: nothing after it
    return result;
}

CWindowWnd* CWindowWnd::Attach(HWND hWnd, UINT msg, LPARAM lParam)
{
    if (msg != WM_NCCREATE)
        return reinterpret_cast<CWindowWnd*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    auto* self = static_cast<CWindowWnd*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->m_hWnd = hWnd;
    SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    return self;
}

void CWindowWnd::WindowGone(HWND hWnd)
{
    SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
    m_hWnd = nullptr;
    m_bigIcon.reset();
    m_smallIcon.reset();
    CCallbackGuard::Run(L"final message", [&] { OnFinalMessage(hWnd); }, [] {});
}

void CWindowWnd::Abandon()
{
    if (!m_hWnd)
        return;
    HWND window = m_hWnd;
    m_hWnd = nullptr;
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    // A superclassed window is handed back to the platform's procedure, so
    // that its last messages still free the platform's own state.
    if (m_superProc)
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_superProc));
    DestroyWindow(window);
}

LRESULT CWindowWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (m_superProc)
        return CallWindowProcW(m_superProc, m_hWnd, msg, wParam, lParam);
    return DefWindowProcW(m_hWnd, msg, wParam, lParam);
}

void CWindowWnd::ShowWindow(bool show, bool takeFocus)
{
    if (!IsWindow(m_hWnd))
        return;
    ::ShowWindow(m_hWnd, show ? (takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

MONITORINFO CWindowWnd::NearestMonitor(HWND window)
{
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor;
}

// Over the owner, or over the work area of the nearest monitor; always kept
// inside that work area.
void CWindowWnd::CenterWindow()
{
    RECT window;
    GetWindowRect(m_hWnd, &window);
    MONITORINFO monitor = NearestMonitor(m_hWnd);
    const RECT& area = monitor.rcWork;
    HWND owner = GetWindow(m_hWnd, GW_OWNER);
    RECT center = area;
    if (owner && IsWindowVisible(owner))
        GetWindowRect(owner, &center);
    LONG width = window.right - window.left, height = window.bottom - window.top;
    LONG left = center.left + (center.right - center.left - width) / 2;
    LONG top = center.top + (center.bottom - center.top - height) / 2;
    left = left < area.left ? area.left : (left + width > area.right ? area.right - width : left);
    top = top < area.top ? area.top : (top + height > area.bottom ? area.bottom - height : top);
    SetWindowPos(m_hWnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Everything the loop needs lives on the stack: the window may be destroyed
// and this object deleted by any dispatched message.
namespace {

CWindowWnd::MessageTranslator& Translator()
{
    static CWindowWnd::MessageTranslator translator = nullptr;
    return translator;
}

} // namespace

void CWindowWnd::SetMessageTranslator(MessageTranslator translator) { Translator() = translator; }

UINT CWindowWnd::ShowModal()
{
    HWND window = m_hWnd;
    HWND owner = GetWindow(window, GW_OWNER);
    ::ShowWindow(window, SW_SHOWNORMAL);
    if (owner)
        EnableWindow(owner, FALSE);
    UINT result = 0;
    MSG msg = {};
    while (IsWindow(window) && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_CLOSE && msg.hwnd == window) {
            result = static_cast<UINT>(msg.wParam);
            if (owner) {
                EnableWindow(owner, TRUE);
                ::SetFocus(owner);
            }
        }
        if (!Translator() || !Translator()(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (owner) {
        EnableWindow(owner, TRUE);
        ::SetFocus(owner);
    }
    if (msg.message == WM_QUIT)
        PostQuitMessage(static_cast<int>(msg.wParam));
    return result;
}

void CWindowWnd::Close(UINT result)
{
    if (IsWindow(m_hWnd))
        ::PostMessageW(m_hWnd, WM_CLOSE, result, 0);
}

// The system icon size, rounded up to a multiple of 16, for each icon. Not
// a shared load: that answers with the first image cached for the
// resource, whatever size is asked.
void CWindowWnd::SetIcon(UINT resourceId)
{
    const struct {
        int metric;
        WPARAM kind;
        IconHandle& held;
    } icons[] = {{SM_CXICON, ICON_BIG, m_bigIcon}, {SM_CXSMICON, ICON_SMALL, m_smallIcon}};
    for (const auto& icon : icons) {
        int size = (GetSystemMetrics(icon.metric) + 15) / 16 * 16;
        IconHandle loaded(static_cast<HICON>(LoadImageW(CSkinResources::GetInstance(), MAKEINTRESOURCEW(resourceId),
                                                        IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
        if (!loaded)
            continue;
        ::SendMessageW(m_hWnd, WM_SETICON, icon.kind, reinterpret_cast<LPARAM>(loaded.get()));
        icon.held = std::move(loaded); // the window has let go of the one before
    }
}

LRESULT CWindowWnd::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessageW(m_hWnd, msg, wParam, lParam);
}

LRESULT CWindowWnd::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return ::PostMessageW(m_hWnd, msg, wParam, lParam);
}

} // namespace DuiLib
