#include "DuiLib/Control/ButtonUI.h"
#include <cwchar>
#include <memory>
#include "DuiLib/Core/AttributeValue.h"
#include "DuiLib/Control/ControlHost.h"
#include "DuiLib/Render/DrawKit.h"

namespace DuiLib {

namespace {

using V = CAttributeValue;

bool IsMouseEvent(int type) { return type >= UIEVENT_MOUSEMOVE && type <= UIEVENT_SCROLLWHEEL; }

} // namespace

void* CButtonUI::GetInterface(const wchar_t* name)
{
    return wcscmp(name, L"Button") == 0 ? this : CLabelUI::GetInterface(name);
}

UINT CButtonUI::GetControlFlags() const { return (IsKeyboardEnabled() ? UIFLAG_TABSTOP : 0) | (IsEnabled() ? UIFLAG_SETCURSOR : 0); }

bool CButtonUI::Activate()
{
    if (!CLabelUI::Activate())
        return false;
    if (!m_manager)
        return true;
    std::weak_ptr<void> alive = m_manager->Liveness();
    m_manager->SendNotify(this, L"click");
    return !alive.expired();
}

void CButtonUI::SetEnabled(bool enable)
{
    CLabelUI::SetEnabled(enable);
    CStateBits::AfterEnable(m_state, *this);
}

const TAttributeTable<CButtonUI>& CButtonUI::Attributes()
{
    static const TAttributeTable<CButtonUI> table = {
        {L"hotforeimage", [](CButtonUI& c, const wchar_t* v) { c.SetAndInvalidate(c.m_hotForeImage, v); }},
        {L"hotbkcolor", [](CButtonUI& c, const wchar_t* v) { c.SetAndInvalidate(c.m_hotBkColor, V::Color(v)); }},
        {L"hottextcolor", [](CButtonUI& c, const wchar_t* v) { c.SetAndInvalidate(c.m_hotTextColor, V::Color(v)); }},
        {L"pushedtextcolor", [](CButtonUI& c, const wchar_t* v) { c.SetAndInvalidate(c.m_pushedTextColor, V::Color(v)); }},
        {L"focusedtextcolor", [](CButtonUI& c, const wchar_t* v) { c.SetAndInvalidate(c.m_focusedTextColor, V::Color(v)); }},
        {L"hotfont", [](CButtonUI& c, const wchar_t* v) { c.m_hotFont = V::Int(v); }},
        {L"pushedfont", [](CButtonUI& c, const wchar_t* v) { c.m_pushedFont = V::Int(v); }},
        {L"focusedfont", [](CButtonUI& c, const wchar_t* v) { c.m_focusedFont = V::Int(v); }},
        // The animated hot transition is not drawn: the switch is accepted.
        {L"fadeeffect", [](CButtonUI&, const wchar_t*) {}},
    };
    return table;
}

void CButtonUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    if (std::wstring* image = m_images.Field(name))
        SetAndInvalidate(*image, value);
    else if (!ApplyAttribute(Attributes(), *this, name, value))
        CLabelUI::SetAttribute(name, value);
}

void CButtonUI::DoEvent(TControlEvent& event)
{
    if (!IsMouseEnabled() && IsMouseEvent(event.Type)) {
        if (m_parent)
            m_parent->DoEvent(event);
        else
            CLabelUI::DoEvent(event);
        return;
    }
    switch (event.Type) {
    case UIEVENT_SETFOCUS:
    case UIEVENT_KILLFOCUS:
        CLabelUI::DoEvent(event); // keeps the focused flag, repaints
        return;
    case UIEVENT_KEYDOWN:
        if (IsKeyboardEnabled() && (event.chKey == VK_SPACE || event.chKey == VK_RETURN)) {
            Activate();
            return;
        }
        break;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
    case UIEVENT_MOUSEMOVE:
    case UIEVENT_BUTTONUP:
    case UIEVENT_MOUSEENTER:
    case UIEVENT_MOUSELEAVE:
        DoMouseEvent(event);
        return;
    case UIEVENT_SETCURSOR:
        ::SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

// Pushed follows the mouse while captured; only a release inside clicks.
void CButtonUI::DoMouseEvent(TControlEvent& event)
{
    bool inside = PtInRect(&m_rcItem, event.ptMouse) != 0;
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (inside && IsEnabled()) {
            m_state |= UISTATE_PUSHED | UISTATE_CAPTURED;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSEMOVE:
        if (m_state & UISTATE_CAPTURED) {
            m_state = inside ? m_state | UISTATE_PUSHED : m_state & ~UISTATE_PUSHED;
            Invalidate();
        }
        return;
    case UIEVENT_BUTTONUP:
        if (m_state & UISTATE_CAPTURED) {
            m_state &= ~(UISTATE_PUSHED | UISTATE_CAPTURED);
            Invalidate();
            if (inside)
                Activate();
        }
        return;
    default: // enter and leave
        CStateBits::TrackHot(m_state, *this, event.Type == UIEVENT_MOUSEENTER);
        return;
    }
}

uint32_t CButtonUI::CurrentTextColor() const
{
    const struct {
        UINT bit;
        uint32_t color;
    } states[] = {{UISTATE_PUSHED, m_pushedTextColor}, {UISTATE_HOT, m_hotTextColor}, {UISTATE_FOCUSED, m_focusedTextColor}};
    if (IsEnabled())
        for (const auto& s : states)
            if ((m_state & s.bit) && s.color)
                return s.color;
    return CLabelUI::CurrentTextColor();
}

int CButtonUI::CurrentFont() const
{
    const struct {
        UINT bit;
        int font;
    } states[] = {{UISTATE_PUSHED, m_pushedFont}, {UISTATE_HOT, m_hotFont}, {UISTATE_FOCUSED, m_focusedFont}};
    for (const auto& s : states)
        if ((m_state & s.bit) && s.font != -1)
            return s.font;
    return CLabelUI::CurrentFont();
}

void CButtonUI::PaintStatusImage(HDC hDC)
{
    CStateBits::Refresh(m_state, *this);
    if (PaintStateImage(hDC))
        PaintForeImage(hDC);
}

// The first of disabled, pushed, hot and focused that holds decides; a
// state without an image of its own shows the normal one, except that a
// hot background colour stands in for a missing hot image.
bool CButtonUI::PaintStateImage(HDC hDC)
{
    UINT state = CStateImages::FirstState(m_state, {UISTATE_DISABLED, UISTATE_PUSHED, UISTATE_HOT, UISTATE_FOCUSED});
    if (state == UISTATE_HOT && !m_images.Has(UISTATE_HOT) && m_hotBkColor != 0) {
        CDrawKit::DrawColor(hDC, m_rcPaint, m_hotBkColor);
        return false;
    }
    const std::wstring& image = m_images.Image(state);
    if (!image.empty())
        DrawImage(hDC, image);
    return true;
}

void CButtonUI::PaintForeImage(HDC hDC)
{
    const std::wstring& fore = (m_state & UISTATE_HOT) && !m_hotForeImage.empty() ? m_hotForeImage : GetForeImage();
    if (!fore.empty())
        DrawImage(hDC, fore);
}

} // namespace DuiLib
