#include "DuiLib/Control/ControlUI.h"
#include <cwchar>
#include <optional>
#include <string>
#include "DuiLib/Core/AttributeValue.h"
#include "DuiLib/Control/ControlHost.h"
#include "DuiLib/Render/ClipScope.h"
#include "DuiLib/Render/DrawKit.h"

namespace DuiLib {

namespace {

bool Is(const wchar_t* a, const wchar_t* b) { return wcscmp(a, b) == 0; }

bool Intersect(RECT& r, const RECT& clip)
{
    RECT out;
    if (!IntersectRect(&out, &r, &clip)) {
        r = {0, 0, 0, 0};
        return false;
    }
    r = out;
    return true;
}

} // namespace

CControlUI::~CControlUI()
{
    if (m_manager)
        m_manager->ReapObjects(this);
}

void* CControlUI::GetInterface(const wchar_t* name) { return Is(name, L"Control") ? this : nullptr; }

bool CControlUI::Activate() { return IsVisible() && IsEnabled(); }

void CControlUI::SetManager(IControlHost* manager, CControlUI* parent, bool init)
{
    if (m_manager != manager) {
        if (m_manager)
            m_manager->UnlinkControl(this);
        if (manager)
            manager->LinkControl(this);
    }
    m_manager = manager;
    m_parent = parent;
    if (init && m_parent)
        Init();
}

void CControlUI::Init() { DoInit(); }

void CControlUI::SetText(const std::wstring& text)
{
    if (m_text == text)
        return;
    m_text = text;
    Invalidate();
    if (m_manager)
        m_manager->ReadersChanged(this);
}

// 1. Clamp the rectangle. 2. Store it, remembering what to repaint.
// 3. A floating control rewrites its fixed position and size from it.
// 4. Repaint the old and new area, clipped by every ancestor.
void CControlUI::SetPos(RECT rc)
{
    if (rc.right < rc.left)
        rc.right = rc.left;
    if (rc.bottom < rc.top)
        rc.bottom = rc.top;
    RECT invalid = IsRectEmpty(&m_rcItem) ? rc : m_rcItem;
    m_rcItem = rc;
    if (!m_manager)
        return;
    if (m_inSetPos)
        return;
    m_inSetPos = true;
    if (m_float && m_parent) {
        const RECT& parent = m_parent->GetPos();
        m_cXY.cx = m_cXY.cx >= 0 ? rc.left - parent.left : rc.right - parent.right;
        m_cXY.cy = m_cXY.cy >= 0 ? rc.top - parent.top : rc.bottom - parent.bottom;
        m_cxyFixed.cx = rc.right - rc.left;
        m_cxyFixed.cy = rc.bottom - rc.top;
    }
    m_updateNeeded = false;
    UnionRect(&invalid, &invalid, &m_rcItem);
    bool visible = true;
    for (CControlUI* p = m_parent; p && visible; p = p->GetParent())
        visible = Intersect(invalid, p->GetPos());
    if (visible)
        m_manager->Invalidate(invalid);
    m_inSetPos = false;
}

void CControlUI::RequestGeometry()
{
    if (m_float)
        NeedUpdate();
    else
        NeedParentUpdate();
}

void CControlUI::SetPadding(RECT rc)
{
    m_rcPadding = rc;
    NeedParentUpdate();
}

void CControlUI::SetFixedXY(SIZE xy)
{
    m_cXY = xy;
    RequestGeometry();
}

void CControlUI::SetFixedWidth(int cx)
{
    if (cx < 0)
        return;
    m_cxyFixed.cx = cx;
    RequestGeometry();
}

void CControlUI::SetFixedHeight(int cy)
{
    if (cy < 0)
        return;
    m_cxyFixed.cy = cy;
    RequestGeometry();
}

// Size limits: negative values are ignored.
void CControlUI::SetLimit(long& field, int value)
{
    if (value < 0 || field == value)
        return;
    field = value;
    NeedParentUpdate();
}

void CControlUI::SetMinWidth(int cx) { SetLimit(m_cxyMin.cx, cx); }

void CControlUI::SetMaxWidth(int cx) { SetLimit(m_cxyMax.cx, cx); }

void CControlUI::SetMinHeight(int cy) { SetLimit(m_cxyMin.cy, cy); }

void CControlUI::SetMaxHeight(int cy) { SetLimit(m_cxyMax.cy, cy); }

void CControlUI::SetRelativePos(SIZE move, SIZE zoom)
{
    m_relative.bRelative = true;
    m_relative.nMoveXPercent = move.cx;
    m_relative.nMoveYPercent = move.cy;
    m_relative.nZoomXPercent = zoom.cx;
    m_relative.nZoomYPercent = zoom.cy;
}

void CControlUI::SetVisible(bool visible)
{
    if (m_visible == visible)
        return;
    bool wasVisible = IsVisible();
    m_visible = visible;
    if (m_focused) {
        m_focused = false;
        if (!visible && m_manager && m_manager->GetFocus() == this)
            m_manager->SetFocus(nullptr);
    }
    if (IsVisible() == wasVisible)
        return;
    NeedParentUpdate();
    if (m_manager)
        m_manager->ReadersVisibilityChanged();
}

void CControlUI::SetInternVisible(bool visible)
{
    m_internVisible = visible;
    if (!visible && m_manager && m_manager->GetFocus() == this)
        m_manager->SetFocus(nullptr);
}

bool CControlUI::IsEnabled() const
{
    for (const CControlUI* c = this; c; c = c->GetParent())
        if (!c->m_enabled)
            return false;
    return true;
}

void CControlUI::SetEnabled(bool enable) { SetAndInvalidate(m_enabled, enable); }

void CControlUI::SetFocus()
{
    if (m_manager)
        m_manager->SetFocus(this);
}

void CControlUI::SetFloat(bool isFloat)
{
    if (m_float == isFloat)
        return;
    m_float = isFloat;
    NeedParentUpdate();
}

bool CControlUI::MatchesFind(UINT flags, POINT point) const
{
    if ((flags & UIFIND_VISIBLE) && !IsVisible())
        return false;
    if ((flags & UIFIND_ENABLED) && !IsEnabled())
        return false;
    return !(flags & UIFIND_HITTEST) || PtInRect(&m_rcItem, point);
}

CControlUI* CControlUI::FindControl(const FindControlProc& proc, UINT flags, POINT point)
{
    if (!MatchesFind(flags, point) || ((flags & UIFIND_HITTEST) && !m_mouseEnabled))
        return nullptr;
    return proc(this);
}

void CControlUI::Invalidate() { InvalidateArea(m_rcItem); }

void CControlUI::InvalidateArea(RECT invalid)
{
    if (!IsVisible() || !m_manager || !Intersect(invalid, m_rcItem))
        return;
    for (CControlUI* p = m_parent; p; p = p->GetParent())
        if (!Intersect(invalid, p->GetPos()))
            return;
    m_manager->Invalidate(invalid);
}

void CControlUI::NeedUpdate()
{
    if (!IsVisible())
        return;
    m_updateNeeded = true;
    Invalidate();
    if (m_manager)
        m_manager->NeedUpdate();
}

void CControlUI::NeedParentUpdate()
{
    if (m_parent) {
        m_parent->m_updateNeeded = true;
        m_parent->Invalidate();
    } else {
        m_updateNeeded = true;
        Invalidate();
    }
    if (m_manager)
        m_manager->NeedUpdate();
}

SIZE CControlUI::EstimateSize(SIZE) { return m_cxyFixed; }

void CControlUI::DoEvent(TControlEvent& event)
{
    switch (event.Type) {
    case UIEVENT_SETCURSOR:
        ::SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        return;
    case UIEVENT_SETFOCUS:
    case UIEVENT_KILLFOCUS:
        m_focused = event.Type == UIEVENT_SETFOCUS;
        Invalidate();
        return;
    case UIEVENT_TIMER:
        if (m_manager)
            m_manager->SendNotify(this, L"timer", event.wParam, event.lParam);
        return;
    case UIEVENT_CONTEXTMENU:
        if (m_menu) {
            if (m_manager)
                m_manager->SendNotify(this, L"menu", event.wParam, event.lParam);
            return;
        }
        break;
    default:
        break;
    }
    if (m_parent)
        m_parent->DoEvent(event);
}

void CControlUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    if (!IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem))
        return;
    std::optional<CClipScope> round;
    if (m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0)
        round.emplace(hDC, m_rcItem, m_cxyBorderRound);
    PaintBkColor(hDC);
    PaintBkImage(hDC);
    PaintStatusImage(hDC);
    PaintText(hDC);
    PaintBorder(hDC);
    PaintFocusMark(hDC);
}

void CControlUI::PaintFocusMark(HDC hDC)
{
    if (!m_focused || !m_manager || !m_manager->ShowsFocusMark() || !(GetControlFlags() & UIFLAG_TABSTOP))
        return;
    CDrawKit::DrawRect(hDC, m_rcItem, 1, m_manager->Settings().accentColor, PS_SOLID);
}

// One colour fills; two make a vertical gradient; three make two, meeting
// at the middle. A colour that is not opaque covers the whole item so that
// partial repaints blend the same way.
void CControlUI::PaintBkColor(HDC hDC)
{
    if (m_bkColor == 0)
        return;
    if (m_bkColor2 == 0) {
        CDrawKit::DrawColor(hDC, (m_bkColor >> 24) == 0xFF ? m_rcPaint : m_rcItem, m_bkColor);
        return;
    }
    if (m_bkColor3 == 0) {
        CDrawKit::DrawGradient(hDC, m_rcItem, m_bkColor, m_bkColor2, true, 16);
        return;
    }
    RECT upper = m_rcItem, lower = m_rcItem;
    upper.bottom = lower.top = (m_rcItem.top + m_rcItem.bottom) / 2;
    CDrawKit::DrawGradient(hDC, upper, m_bkColor, m_bkColor2, true, 8);
    CDrawKit::DrawGradient(hDC, lower, m_bkColor2, m_bkColor3, true, 8);
}

// A string whose file is missing stays: it is looked for again next time.
void CControlUI::PaintBkImage(HDC hDC)
{
    if (!m_bkImage.empty() && !DrawImage(hDC, m_bkImage))
        m_bkImage.clear();
}

void CControlUI::PaintBorder(HDC hDC)
{
    if (m_borderColor == 0 && m_focusBorderColor == 0)
        return;
    uint32_t color = m_focused && m_focusBorderColor ? m_focusBorderColor : m_borderColor;
    if (m_borderSize > 0 && (m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0)) {
        CDrawKit::DrawRoundRect(hDC, m_rcItem, m_borderSize, m_cxyBorderRound, color, m_borderStyle);
    } else if (m_focused && m_focusBorderColor && m_borderSize > 0) {
        CDrawKit::DrawRect(hDC, m_rcItem, m_borderSize, m_focusBorderColor, m_borderStyle);
    } else if (m_rcBorderSize.left > 0 || m_rcBorderSize.top > 0 || m_rcBorderSize.right > 0 ||
               m_rcBorderSize.bottom > 0) {
        PaintBorderSides(hDC);
    } else if (m_borderSize > 0) {
        CDrawKit::DrawRect(hDC, m_rcItem, m_borderSize, m_borderColor, m_borderStyle);
    }
}

// Each side with a width of its own is a line along that edge.
void CControlUI::PaintBorderSides(HDC hDC)
{
    const RECT& r = m_rcItem;
    const struct {
        LONG width;
        RECT line;
    } sides[] = {
        {m_rcBorderSize.left, {r.left, r.top, r.left, r.bottom}},
        {m_rcBorderSize.top, {r.left, r.top, r.right, r.top}},
        {m_rcBorderSize.right, {r.right - 1, r.top, r.right - 1, r.bottom}},
        {m_rcBorderSize.bottom, {r.left, r.bottom - 1, r.right, r.bottom - 1}},
    };
    for (const auto& side : sides)
        if (side.width > 0)
            CDrawKit::DrawLine(hDC, side.line, side.width, m_borderColor, m_borderStyle);
}

bool CControlUI::DrawImage(HDC hDC, const std::wstring& image, std::wstring_view modifier)
{
    return CDrawKit::DrawImageString(hDC, m_manager ? &m_manager->GetImageCache() : nullptr, m_rcItem, m_rcPaint,
                                     image, modifier);
}

void CControlUI::SetBkImage(std::wstring_view image) { SetAndInvalidate(m_bkImage, image); }

void CControlUI::SetBkImage(std::wstring_view image, const RECT& changed)
{
    if (m_bkImage == image)
        return;
    m_bkImage.assign(image);
    InvalidateArea(changed);
}

void CControlUI::SetBorderSize(const wchar_t* value)
{
    if (wcschr(value, L',')) {
        m_rcBorderSize = CAttributeValue::Rect(value);
    } else {
        m_borderSize = CAttributeValue::Int(value);
        m_rcBorderSize = {0, 0, 0, 0};
    }
    Invalidate();
}

void CControlUI::SetPosAttribute(const wchar_t* value)
{
    RECT r = CAttributeValue::Rect(value);
    SetFixedXY({r.left >= 0 ? r.left : r.right, r.top >= 0 ? r.top : r.bottom});
    SetFixedWidth(r.right - r.left);
    SetFixedHeight(r.bottom - r.top);
}

const TAttributeTable<CControlUI>& CControlUI::Attributes()
{
    using V = CAttributeValue;
    using C = CControlUI;
    auto bkColor = [](C& c, const wchar_t* v) { c.SetAndInvalidate(c.m_bkColor, V::Color(v)); };
    static const TAttributeTable<CControlUI> table = {
        {L"pos", [](C& c, const wchar_t* v) { c.SetPosAttribute(v); }},
        {L"relativepos",
         [](C& c, const wchar_t* v) {
             RECT r = V::Rect(v);
             c.SetRelativePos({r.left, r.top}, {r.right, r.bottom});
         }},
        {L"padding", [](C& c, const wchar_t* v) { c.SetPadding(V::Rect(v)); }},
        {L"bkcolor", bkColor},
        {L"bkcolor1", bkColor},
        {L"bkcolor2", [](C& c, const wchar_t* v) { c.SetAndInvalidate(c.m_bkColor2, V::Color(v)); }},
        {L"bkcolor3", [](C& c, const wchar_t* v) { c.SetAndInvalidate(c.m_bkColor3, V::Color(v)); }},
        {L"bordercolor", [](C& c, const wchar_t* v) { c.SetAndInvalidate(c.m_borderColor, V::Color(v)); }},
        {L"focusbordercolor", [](C& c, const wchar_t* v) { c.SetAndInvalidate(c.m_focusBorderColor, V::Color(v)); }},
        {L"colorhsl", [](C& c, const wchar_t* v) { c.m_colorHsl = V::Bool(v); }},
        {L"bordersize", [](C& c, const wchar_t* v) { c.SetBorderSize(v); }},
        {L"leftbordersize", [](C& c, const wchar_t* v) { c.m_rcBorderSize.left = V::Int(v); }},
        {L"topbordersize", [](C& c, const wchar_t* v) { c.m_rcBorderSize.top = V::Int(v); }},
        {L"rightbordersize", [](C& c, const wchar_t* v) { c.m_rcBorderSize.right = V::Int(v); }},
        {L"bottombordersize", [](C& c, const wchar_t* v) { c.m_rcBorderSize.bottom = V::Int(v); }},
        {L"borderstyle", [](C& c, const wchar_t* v) { c.m_borderStyle = V::Int(v); }},
        {L"borderround", [](C& c, const wchar_t* v) { c.m_cxyBorderRound = V::Size(v); }},
        {L"bkimage", [](C& c, const wchar_t* v) { c.SetAndInvalidate(c.m_bkImage, v); }},
        {L"foreimage", [](C& c, const wchar_t* v) { c.SetAndInvalidate(c.m_foreImage, v); }},
        {L"width", [](C& c, const wchar_t* v) { c.SetFixedWidth(V::Int(v)); }},
        {L"height", [](C& c, const wchar_t* v) { c.SetFixedHeight(V::Int(v)); }},
        {L"minwidth", [](C& c, const wchar_t* v) { c.SetMinWidth(V::Int(v)); }},
        {L"minheight", [](C& c, const wchar_t* v) { c.SetMinHeight(V::Int(v)); }},
        {L"maxwidth", [](C& c, const wchar_t* v) { c.SetMaxWidth(V::Int(v)); }},
        {L"maxheight", [](C& c, const wchar_t* v) { c.SetMaxHeight(V::Int(v)); }},
        {L"name", [](C& c, const wchar_t* v) { c.SetName(v); }},
        {L"text", [](C& c, const wchar_t* v) { c.SetText(v); }},
        {L"tooltip", [](C& c, const wchar_t* v) { c.m_tooltip = v; }},
        {L"userdata", [](C& c, const wchar_t* v) { c.m_userData = v; }},
        {L"enabled", [](C& c, const wchar_t* v) { c.SetEnabled(V::Bool(v)); }},
        {L"mouse", [](C& c, const wchar_t* v) { c.SetMouseEnabled(V::Bool(v)); }},
        {L"keyboard", [](C& c, const wchar_t* v) { c.m_keyboardEnabled = V::Bool(v); }},
        {L"visible", [](C& c, const wchar_t* v) { c.SetVisible(V::Bool(v)); }},
        {L"float", [](C& c, const wchar_t* v) { c.SetFloat(V::Bool(v)); }},
        {L"shortcut", [](C& c, const wchar_t* v) { c.m_shortcut = v[0]; }},
        {L"menu", [](C& c, const wchar_t* v) { c.m_menu = V::Bool(v); }},
        {L"virtualwnd", [](C& c, const wchar_t* v) { c.m_virtualWnd = v; }},
        {L"tabindex", [](C& c, const wchar_t* v) { c.m_tabIndex = V::Int(v); }},
        {L"accname", [](C& c, const wchar_t* v) { c.m_accName = v; }},
        {L"accrole", [](C& c, const wchar_t* v) { c.m_accRole = v; }},
    };
    return table;
}

// Names the table does not know are ignored.
void CControlUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    ApplyAttribute(Attributes(), *this, name, value);
}

void CControlUI::ApplyAttributeList(const wchar_t* list)
{
    ForEachAttribute(list, [this](const wchar_t* name, const wchar_t* value) { SetAttribute(name, value); });
}

// name="value" pairs; the value ends at the next double quote.
void CControlUI::ForEachAttribute(const wchar_t* list,
                                  const std::function<void(const wchar_t* name, const wchar_t* value)>& apply)
{
    const wchar_t* p = list;
    while (*p) {
        while (*p > 0 && *p <= L' ')
            ++p;
        const wchar_t* nameStart = p;
        while (*p && *p != L'=' && *p > L' ')
            ++p;
        std::wstring name(nameStart, p);
        while (*p > 0 && *p <= L' ')
            ++p;
        if (*p++ != L'=')
            return;
        while (*p > 0 && *p <= L' ')
            ++p;
        if (*p++ != L'"')
            return;
        const wchar_t* valueStart = p;
        while (*p && *p != L'"')
            ++p;
        if (!*p)
            return;
        std::wstring value(valueStart, p);
        ++p;
        apply(name.c_str(), value.c_str());
    }
}

} // namespace DuiLib
