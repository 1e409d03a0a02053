#include "DuiLib/Control/EditUI.h"
#include <cwchar>
#include "DuiLib/Core/AttributeValue.h"
#include "DuiLib/Control/ControlHost.h"

namespace DuiLib {

namespace {

using V = CAttributeValue;

} // namespace

CEditUI::CEditUI() { SetTextPadding({4, 3, 4, 3}); }

CEditUI::~CEditUI() = default;

void* CEditUI::GetInterface(const wchar_t* name)
{
    return wcscmp(name, L"Edit") == 0 ? this : CLabelUI::GetInterface(name);
}

UINT CEditUI::GetControlFlags() const { return IsEnabled() ? UIFLAG_SETCURSOR | UIFLAG_TABSTOP : 0; }

// With the native edit open its change notice sends "textchanged".
void CEditUI::SetText(const std::wstring& text)
{
    CLabelUI::SetText(text);
    if (m_window)
        SetWindowTextW(m_window->GetHWND(), text.c_str());
    else if (m_manager)
        m_manager->SendNotify(this, L"textchanged");
}

void CEditUI::TakeNativeText(const std::wstring& text)
{
    CLabelUI::SetText(text);
    if (m_manager)
        m_manager->SendNotify(this, L"textchanged");
}

void CEditUI::SetEnabled(bool enable)
{
    CLabelUI::SetEnabled(enable);
    CStateBits::AfterEnable(m_state, *this);
}

void CEditUI::SetPos(RECT rc)
{
    CLabelUI::SetPos(rc);
    if (!m_window)
        return;
    RECT place = CEditWnd::PlaceFor(*this);
    SetWindowPos(m_window->GetHWND(), nullptr, place.left, place.top, place.right - place.left,
                 place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CEditUI::SetReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    if (m_window)
        SendMessageW(m_window->GetHWND(), EM_SETREADONLY, readOnly, 0);
    Invalidate();
}

void CEditUI::SetMaxChar(int maxChar)
{
    m_maxChar = maxChar;
    if (m_window)
        SendMessageW(m_window->GetHWND(), EM_LIMITTEXT, static_cast<WPARAM>(maxChar), 0);
}

const TAttributeTable<CEditUI>& CEditUI::Attributes()
{
    static const TAttributeTable<CEditUI> table = {
        {L"readonly", [](CEditUI& c, const wchar_t* v) { c.SetReadOnly(V::Bool(v)); }},
        {L"numberonly",
         [](CEditUI& c, const wchar_t* v) {
             c.m_extraStyle = V::Bool(v) ? c.m_extraStyle | ES_NUMBER : c.m_extraStyle & ~ES_NUMBER;
         }},
        {L"password", [](CEditUI& c, const wchar_t* v) { c.SetAndInvalidate(c.m_password, V::Bool(v)); }},
        {L"maxchar", [](CEditUI& c, const wchar_t* v) { c.SetMaxChar(V::Int(v)); }},
        {L"hinttext", [](CEditUI& c, const wchar_t* v) { c.SetAndInvalidate(c.m_hint, v); }},
        {L"hintcolor", [](CEditUI& c, const wchar_t* v) { c.SetAndInvalidate(c.m_hintColor, V::Color(v)); }},
        {L"nativecolor", [](CEditUI& c, const wchar_t* v) { c.SetAndInvalidate(c.m_nativeTextColor, V::Color(v)); }},
        {L"nativebkcolor", [](CEditUI& c, const wchar_t* v) { c.SetAndInvalidate(c.m_nativeBkColor, V::Color(v)); }},
    };
    return table;
}

void CEditUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    if (std::wstring* image = m_images.Field(name))
        SetAndInvalidate(*image, value);
    else if (!ApplyAttribute(Attributes(), *this, name, value))
        CLabelUI::SetAttribute(name, value);
}

void CEditUI::OpenNativeWindow()
{
    m_window = std::make_unique<CEditWnd>(*this);
    if (!m_window->Init())
        m_window.reset();
}

void CEditUI::SelectAllNative()
{
    int length = GetWindowTextLengthW(m_window->GetHWND());
    SendMessageW(m_window->GetHWND(), EM_SETSEL, 0, length == 0 ? 1 : length);
}

void CEditUI::DoEvent(TControlEvent& event)
{
    bool mouse = event.Type >= UIEVENT_MOUSEMOVE && event.Type <= UIEVENT_SCROLLWHEEL;
    if (mouse && !IsMouseEnabled()) {
        if (m_parent)
            m_parent->DoEvent(event);
        return;
    }
    switch (event.Type) {
    case UIEVENT_SETCURSOR:
        if (!IsEnabled())
            break;
        ::SetCursor(LoadCursorW(nullptr, IDC_IBEAM));
        return;
    case UIEVENT_WINDOWSIZE:
        if (m_window)
            return;
        break;
    case UIEVENT_SETFOCUS:
        if (IsEnabled() && !m_window) {
            OpenNativeWindow();
            Invalidate();
        }
        break;
    case UIEVENT_KILLFOCUS:
        Invalidate();
        break;
    default:
        if (mouse && DoMouseEvent(event))
            return;
        break;
    }
    CLabelUI::DoEvent(event);
}

// A click opens the native edit of a focused control and selects its text.
bool CEditUI::DoMouseEvent(TControlEvent& event)
{
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
    case UIEVENT_RBUTTONDOWN:
        if (!IsEnabled())
            return false;
        ReleaseCapture();
        if (IsFocused() && !m_window) {
            OpenNativeWindow();
            if (m_window && PtInRect(&m_rcItem, event.ptMouse))
                SelectAllNative();
        } else if (m_window) {
            SelectAllNative();
        }
        return true;
    case UIEVENT_MOUSEMOVE:
    case UIEVENT_BUTTONUP:
    case UIEVENT_CONTEXTMENU:
        return true;
    case UIEVENT_SCROLLWHEEL:
        return m_window != nullptr;
    case UIEVENT_MOUSEENTER:
    case UIEVENT_MOUSELEAVE:
        CStateBits::TrackHot(m_state, *this, event.Type == UIEVENT_MOUSEENTER);
        return true;
    default:
        return false;
    }
}

void CEditUI::PaintStatusImage(HDC hDC)
{
    CStateBits::Refresh(m_state, *this);
    UINT state = CStateImages::FirstState(m_state, {UISTATE_DISABLED, UISTATE_FOCUSED, UISTATE_HOT});
    const std::wstring& image = m_images.Image(state);
    if (!image.empty())
        DrawImage(hDC, image);
}

// While the native edit is open it shows the text itself.
void CEditUI::PaintText(HDC hDC)
{
    ResolveTextColors();
    if (m_window)
        return;
    std::wstring text = GetText();
    uint32_t color = CurrentTextColor();
    if (text.empty()) {
        text = m_hint;
        color = IsEnabled() ? m_hintColor : color;
    } else if (m_password) {
        text.assign(text.size(), m_passwordChar);
    }
    DrawLabelText(hDC, text, color, GetTextStyle() | DT_SINGLELINE);
}

} // namespace DuiLib
