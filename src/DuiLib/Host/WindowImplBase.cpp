#include "DuiLib/Host/WindowImplBase.h"
#include <utility>
#include <windowsx.h>
#include <cwchar>
#include "DuiLib/Control/ControlUI.h"
#include "DuiLib/Host/HitTestRule.h"
#include "DuiLib/Core/SkinResources.h"
#include "DuiLib/Host/WndShadow.h"
#include "Runtime/LogSites.h"

namespace DuiLib {

WindowImplBase::WindowImplBase() = default;

WindowImplBase::~WindowImplBase() { Abandon(); }

HWND WindowImplBase::Create(HWND parent, const wchar_t* name, DWORD style, DWORD exStyle, int x, int y, int cx,
                            int cy, HMENU menu)
{
    m_pm.SetInitialRect({x, y, cx, cy});
    HWND window = CWindowWnd::Create(parent, name, style, exStyle, x, y, cx, cy, menu);
    if (window && cx && cy)
        SetWindowPos(window, nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return window;
}

LRESULT WindowImplBase::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    bool handled = true;
    LRESULT result = Dispatch(msg, wParam, lParam, handled);
    if (handled)
        return result;
    handled = true;
    result = HandleCustomMessage(msg, wParam, lParam, handled);
    if (handled)
        return result;
    if (m_pm.MessageHandler(msg, wParam, lParam, result))
        return result;
    return CWindowWnd::HandleMessage(msg, wParam, lParam);
}

LRESULT WindowImplBase::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled)
{
    using Handler = LRESULT (WindowImplBase::*)(UINT, WPARAM, LPARAM, bool&);
    static const std::pair<UINT, Handler> kHandlers[] = {
        {WM_CREATE, &WindowImplBase::OnCreate},           {WM_DESTROY, &WindowImplBase::OnDestroy},
        {WM_MOVE, &WindowImplBase::OnMove},               {WM_SIZE, &WindowImplBase::OnSize},
        {WM_SETFOCUS, &WindowImplBase::OnSetFocus},       {WM_KILLFOCUS, &WindowImplBase::OnKillFocus},
        {WM_CLOSE, &WindowImplBase::OnClose},             {WM_SHOWWINDOW, &WindowImplBase::OnShowWindow},
        {WM_GETMINMAXINFO, &WindowImplBase::OnGetMinMaxInfo}, {WM_NCCALCSIZE, &WindowImplBase::OnNcCalcSize},
        {WM_NCHITTEST, &WindowImplBase::OnNcHitTest},     {WM_NCPAINT, &WindowImplBase::OnNcPaint},
        {WM_NCACTIVATE, &WindowImplBase::OnNcActivate},   {WM_NCLBUTTONDOWN, &WindowImplBase::OnNcLButtonDown},
        {WM_KEYDOWN, &WindowImplBase::OnKeyDown},         {WM_CHAR, &WindowImplBase::OnChar},
        {WM_SYSCOMMAND, &WindowImplBase::OnSysCommand},   {WM_MOUSEMOVE, &WindowImplBase::OnMouseMove},
        {WM_LBUTTONDOWN, &WindowImplBase::OnLButtonDown}, {WM_LBUTTONUP, &WindowImplBase::OnLButtonUp},
        {WM_MOUSEWHEEL, &WindowImplBase::OnMouseWheel},   {WM_MOUSEHOVER, &WindowImplBase::OnMouseHover},
        {WM_DPICHANGED, &WindowImplBase::OnDpiChanged},   {kFirstLoopMessage, &WindowImplBase::OnFirstLoop},
    };
    for (const auto& [message, handler] : kHandlers)
        if (message == msg)
            return (this->*handler)(msg, wParam, lParam, handled);
    handled = false;
    return 0;
}

void WindowImplBase::OnFinalMessage(HWND)
{
    m_pm.RemovePreMessageFilter(this);
    m_pm.RemoveNotifier(this);
    m_pm.WindowDestroyed();
}

void WindowImplBase::OnClick(TNotifyMsg& msg)
{
    const std::wstring& name = msg.pSender ? msg.pSender->GetName() : std::wstring();
    if (name == L"btn_close")
        Close(1);
    else if (name == L"btn_min")
        SendMessage(WM_SYSCOMMAND, SC_MINIMIZE);
    else if (name == L"btn_max")
        SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE);
    else if (name == L"btn_restore")
        SendMessage(WM_SYSCOMMAND, SC_RESTORE);
}

LRESULT WindowImplBase::ResponseDefaultKeyEvent(WPARAM key)
{
    if (key != VK_ESCAPE)
        return FALSE;
    Close(1);
    return TRUE;
}

LRESULT WindowImplBase::OnNcActivate(UINT, WPARAM wParam, LPARAM, bool& handled)
{
    if (IsIconic(m_hWnd))
        handled = false;
    return wParam == 0 ? TRUE : FALSE;
}

LRESULT WindowImplBase::OnNcCalcSize(UINT, WPARAM wParam, LPARAM lParam, bool&)
{
    if (wParam && IsZoomed(m_hWnd)) {
        MONITORINFO monitor = NearestMonitor(m_hWnd);
        reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] = monitor.rcWork;
    }
    return 0;
}

LRESULT WindowImplBase::OnNcLButtonDown(UINT, WPARAM, LPARAM, bool& handled)
{
    m_pm.SetFocus(nullptr);
    return Unhandled(handled);
}

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, bool&)
{
    POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(m_hWnd, &pt);
    RECT client;
    GetClientRect(m_hWnd, &client);
    const TWindowSettings& s = m_pm.Settings();
    if (!IsZoomed(m_hWnd)) {
        LRESULT border = CHitTestRule::SizingArea(pt, client, s.sizeBox, s.sizeGrip);
        if (border != HTCLIENT)
            return border;
    }
    if (CHitTestRule::InCaption(pt, client, s.caption) && CHitTestRule::DragsWindow(m_pm.FindControl(pt)))
        return HTCAPTION;
    return HTCLIENT;
}

LRESULT WindowImplBase::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, bool& handled)
{
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    MONITORINFO monitor = NearestMonitor(m_hWnd);
    const RECT& work = monitor.rcWork;
    info->ptMaxPosition = {work.left - monitor.rcMonitor.left, work.top - monitor.rcMonitor.top};
    info->ptMaxSize = {work.right - work.left, work.bottom - work.top};
    const SIZE& minimum = m_pm.Settings().minInfo;
    info->ptMinTrackSize = {minimum.cx, minimum.cy};
    return Unhandled(handled);
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM, LPARAM, bool& handled)
{
    SIZE corner = m_pm.Settings().roundCorner;
    if (!IsIconic(m_hWnd) && (corner.cx != 0 || corner.cy != 0)) {
        RECT window;
        GetWindowRect(m_hWnd, &window);
        HRGN region = CreateRoundRectRgn(0, 0, window.right - window.left + 1, window.bottom - window.top + 1,
                                         corner.cx, corner.cy);
        SetWindowRgn(m_hWnd, region, TRUE); // the window owns the region now
    }
    return Unhandled(handled);
}

// The system's close (Alt+F4, the taskbar) takes the close button's way, so
// the window asks what a click there would ask; a skin without the button
// closes at once, and one whose button is hidden does not close. While a
// modal box disables the window its button cannot be pressed, so the close
// goes to the window as a close from outside, which answers the box.
LRESULT WindowImplBase::OnSysCommand(UINT msg, WPARAM wParam, LPARAM lParam, bool&)
{
    if ((wParam & 0xFFF0) != SC_CLOSE) // the low four bits are the system's own
        return CWindowWnd::HandleMessage(msg, wParam, lParam);
    CControlUI* close = IsWindowEnabled(m_hWnd) ? m_pm.FindControl(L"btn_close") : nullptr;
    if (close)
        close->Activate();
    else
        SendMessage(WM_CLOSE);
    return 0;
}

LRESULT WindowImplBase::OnDpiChanged(UINT, WPARAM wParam, LPARAM lParam, bool&)
{
    const CDpiScale scale(LOWORD(wParam));
    m_pm.SetScale(scale);
    if (m_shadow)
        m_shadow->SetScale(scale);
    const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
    SIZE size = m_pm.SkinSize();
    if (size.cx <= 0 || size.cy <= 0)
        size = {suggested.right - suggested.left, suggested.bottom - suggested.top};
    SetWindowPos(m_hWnd, nullptr, suggested.left, suggested.top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

LONG WindowImplBase::GetStyle() { return GetWindowLongW(m_hWnd, GWL_STYLE) & ~WS_CAPTION; }

bool WindowImplBase::OpenSkinSource()
{
    std::wstring folder = GetSkinFolder();
    switch (GetResourceType()) {
    case ESkinSource::ZipResource:
        return CSkinResources::LoadZipResource(GetResourceID(), folder);
    case ESkinSource::ZipFile:
        CSkinResources::DefaultResourcePath(folder);
        CSkinResources::SetArchiveFile(GetZIPFileName(), true);
        return true;
    default:
        CSkinResources::DefaultResourcePath(folder);
        return true;
    }
}

std::unique_ptr<CControlUI> WindowImplBase::BuildSkin()
{
    CMarkupBuilder builder(m_pm.Scale());
    std::wstring file = GetSkinFile();
    std::unique_ptr<CControlUI> root(GetResourceType() == ESkinSource::Resource
                                         ? builder.Create(MAKEINTRESOURCEW(_wtoi(file.c_str())), L"xml", this, &m_pm)
                                         : builder.Create(file.c_str(), nullptr, this, &m_pm));
    // The box the user sees says only that the skin failed; the log says why.
    if (!root)
        LogConsoleAndFile(2, L".\\WindowImplBase.cpp", __LINE__, L"skin %s: %s", file.c_str(),
                          builder.GetLastErrorMessage().c_str());
    return root;
}

// 1. No native caption. 2. Join the manager. 3. Build the skin: without a
// skin resource the window stays empty; a skin that cannot be read or
// built ends the program. 4. Attach the tree and listen to it. 5. The
// window class's own initialisation. The shadow and the rest come from
// the first message loop.
LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, bool&)
{
    LONG style = (GetWindowLongW(m_hWnd, GWL_STYLE) & ~WS_CAPTION) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    SetWindowLongW(m_hWnd, GWL_STYLE, style);
    m_pm.Init(m_hWnd);
    m_pm.SetScale(CDpiScale::ForWindow(m_hWnd));
    m_pm.AddPreMessageFilter(this);
    if (!OpenSkinSource())
        return 0;
    std::unique_ptr<CControlUI> root = BuildSkin();
    if (!root) {
        MessageBoxW(nullptr, L"加载资源文件失败", L"Duilib", MB_OK | MB_ICONERROR);
        ExitProcess(1);
    }
    m_pm.AttachDialog(std::move(root));
    m_pm.AddNotifier(this);
    InitWindow();
    ::PostMessageW(m_hWnd, kFirstLoopMessage, 0, 0);
    return 0;
}

// Another process may post the same number: only the first one counts.
LRESULT WindowImplBase::OnFirstLoop(UINT, WPARAM, LPARAM, bool&)
{
    if (std::exchange(m_firstLoopDone, true))
        return 0;
    if (m_pm.Settings().shadow && !m_pm.Settings().selfShadow) {
        m_shadow = std::make_unique<CWndShadow>();
        m_shadow->SetScale(m_pm.Scale());
        m_shadow->Create(m_hWnd);
    }
    InitWindowShown();
    return 0;
}

void WindowImplBase::Notify(TNotifyMsg& msg) { NotifyPump(msg); }

// Enter and Escape get the window class's default answer; a key it did not
// take goes on to the focused control. Alt+F4 is the system's close, taken
// here because the platform may refuse it when the system menu's close is
// disabled.
LRESULT WindowImplBase::MessageHandler(UINT msg, WPARAM wParam, LPARAM, bool& handled)
{
    if (msg == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE)) {
        handled = ResponseDefaultKeyEvent(wParam) != FALSE;
    } else if (msg == WM_SYSKEYDOWN && wParam == VK_F4) {
        SendMessage(WM_SYSCOMMAND, SC_CLOSE);
        handled = true;
    }
    return 0;
}

CControlUI* WindowImplBase::CreateControl(const wchar_t*) { return nullptr; }

const TNotifyMap* WindowImplBase::GetNotifyMap() const
{
    static const TNotifyEntry kEntries[] = {
        {L"click", nullptr, static_cast<NotifyHandler>(&WindowImplBase::OnClick)},
    };
    static const TNotifyMap kMap = {nullptr, kEntries, std::size(kEntries)};
    return &kMap;
}

} // namespace DuiLib
