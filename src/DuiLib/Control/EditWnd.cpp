#include "DuiLib/Control/EditWnd.h"
#include <string>
#include "DuiLib/Control/EditUI.h"
#include "DuiLib/Control/ControlHost.h"
#include "DuiLib/Render/DrawKit.h"

namespace DuiLib {

namespace {

// The window manager sends its children's commands and colour requests
// back to them at this offset.
constexpr UINT kReflected = 0x2000;

const TFontEntry* OwnerFont(const CEditUI& owner)
{
    IControlHost* manager = owner.GetManager();
    return manager ? manager->GetFont(owner.GetFont()) : nullptr;
}

} // namespace

CEditWnd::~CEditWnd()
{
    if (m_bkBrush)
        DeleteObject(m_bkBrush);
}

RECT CEditWnd::PlaceFor(const CEditUI& owner)
{
    const RECT& pos = owner.GetPos();
    const RECT& pad = owner.GetTextPadding();
    RECT rc = {pos.left + pad.left, pos.top + pad.top, pos.right - pad.right, pos.bottom - pad.bottom};
    const TFontEntry* font = OwnerFont(owner);
    LONG line = font ? font->metrics.tmHeight : 0;
    if (line > 0 && line < rc.bottom - rc.top) {
        rc.top += (rc.bottom - rc.top - line) / 2;
        rc.bottom = rc.top + line;
    }
    return rc;
}

bool CEditWnd::Init()
{
    IControlHost* manager = m_owner.GetManager();
    if (!manager || !manager->GetPaintWindow())
        return false;
    RECT rc = PlaceFor(m_owner);
    DWORD style = WS_CHILD | ES_AUTOHSCROLL | (m_owner.IsPasswordMode() ? ES_PASSWORD : 0) | m_owner.GetExtraStyle();
    if (!Create(manager->GetPaintWindow(), nullptr, style, 0, rc.left, rc.top, rc.right - rc.left,
                rc.bottom - rc.top))
        return false;
    if (const TFontEntry* font = OwnerFont(m_owner))
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font->hFont), TRUE);
    SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(m_owner.GetMaxChar()));
    if (m_owner.IsPasswordMode())
        SendMessage(EM_SETPASSWORDCHAR, m_owner.GetPasswordChar());
    SetWindowTextW(m_hWnd, m_owner.GetText().c_str());
    SendMessage(EM_SETMODIFY, FALSE);
    SendMessage(EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    EnableWindow(m_hWnd, m_owner.IsEnabled());
    SendMessage(EM_SETREADONLY, m_owner.IsReadOnly());
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    ::SetFocus(m_hWnd);
    m_init = true;
    return true;
}

LRESULT CEditWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_KILLFOCUS:
        PostMessage(WM_CLOSE); // and the edit's own handling
        break;
    case WM_KEYDOWN:
        if (wParam != VK_RETURN)
            break;
        if (IControlHost* manager = m_owner.GetManager())
            manager->SendNotify(&m_owner, L"return");
        return 0;
    case kReflected + WM_COMMAND:
        OnCommand(wParam);
        return 0;
    case kReflected + WM_CTLCOLOREDIT:
    case kReflected + WM_CTLCOLORSTATIC:
        return OnCtlColor(msg - kReflected, wParam, lParam);
    default:
        break;
    }
    return CWindowWnd::HandleMessage(msg, wParam, lParam);
}

void CEditWnd::OnCommand(WPARAM wParam)
{
    if (HIWORD(wParam) == EN_UPDATE) {
        InvalidateRect(m_hWnd, nullptr, FALSE);
    } else if (HIWORD(wParam) == EN_CHANGE && m_init) {
        std::wstring text(static_cast<size_t>(GetWindowTextLengthW(m_hWnd)) + 1, L'\0');
        text.resize(static_cast<size_t>(GetWindowTextW(m_hWnd, text.data(), static_cast<int>(text.size()))));
        m_owner.TakeNativeText(text);
    }
}

// Without a native background colour the platform colours the edit.
LRESULT CEditWnd::OnCtlColor(UINT msg, WPARAM wParam, LPARAM lParam)
{
    uint32_t background = m_owner.GetNativeBkColor();
    if (background == 0)
        return DefWindowProcW(GetParent(m_hWnd), msg, wParam, lParam);
    uint32_t text = m_owner.GetNativeTextColor() ? m_owner.GetNativeTextColor() : m_owner.GetTextColor();
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, CDrawKit::ToColorRef(text));
    SetBkColor(dc, CDrawKit::ToColorRef(background));
    if (!m_bkBrush)
        m_bkBrush = CreateSolidBrush(CDrawKit::ToColorRef(background));
    return reinterpret_cast<LRESULT>(m_bkBrush);
}

// The owner destroys this object: nothing after that call touches it.
void CEditWnd::OnFinalMessage(HWND)
{
    CEditUI& owner = m_owner;
    owner.Invalidate();
    IControlHost* manager = owner.GetManager();
    bool hadFocus = manager && manager->GetFocus() == &owner;
    owner.NativeWindowGone();
    if (hadFocus)
        manager->SetFocus(nullptr);
}

} // namespace DuiLib
