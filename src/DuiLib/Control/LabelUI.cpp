#include "DuiLib/Control/LabelUI.h"
#include <cwchar>
#include "DuiLib/Core/AttributeValue.h"
#include "DuiLib/Control/ControlHost.h"
#include "DuiLib/Render/DrawKit.h"

namespace DuiLib {

namespace {

using V = CAttributeValue;

constexpr uint32_t kDefaultTextColor = 0xFF000000;
constexpr uint32_t kDefaultDisabledTextColor = 0xFFA7A6AA;

struct TAlignWord {
    const wchar_t* word;
    UINT clear, set;
};

// In this order; "vcenter" also contains "center" and "vleft" "left".
constexpr TAlignWord kAlignWords[] = {
    {L"left", DT_CENTER | DT_RIGHT | DT_VCENTER | DT_SINGLELINE, 0},
    {L"center", DT_RIGHT, DT_CENTER},
    {L"right", DT_CENTER | DT_VCENTER | DT_SINGLELINE, DT_RIGHT},
    {L"top", DT_VCENTER | DT_BOTTOM, DT_SINGLELINE},
    {L"vcenter", DT_BOTTOM, DT_CENTER | DT_VCENTER | DT_SINGLELINE},
    {L"bottom", DT_VCENTER, DT_BOTTOM | DT_SINGLELINE},
    {L"vleft", DT_CENTER | DT_RIGHT | DT_SINGLELINE, DT_VCENTER},
};

} // namespace

void* CLabelUI::GetInterface(const wchar_t* name)
{
    return wcscmp(name, L"Label") == 0 ? this : CControlUI::GetInterface(name);
}

UINT CLabelUI::ApplyAlign(UINT style, const wchar_t* value)
{
    for (const TAlignWord& w : kAlignWords)
        if (wcsstr(value, w.word))
            style = (style & ~w.clear) | w.set;
    return style;
}

const TAttributeTable<CLabelUI>& CLabelUI::Attributes()
{
    static const TAttributeTable<CLabelUI> table = {
        {L"align", [](CLabelUI& c, const wchar_t* v) { c.SetTextStyle(ApplyAlign(c.m_textStyle, v)); }},
        {L"endellipsis",
         [](CLabelUI& c, const wchar_t* v) {
             c.SetTextStyle(V::Bool(v) ? c.m_textStyle | DT_END_ELLIPSIS : c.m_textStyle & ~DT_END_ELLIPSIS);
         }},
        {L"font", [](CLabelUI& c, const wchar_t* v) { c.SetFont(V::Int(v)); }},
        {L"textcolor", [](CLabelUI& c, const wchar_t* v) { c.SetAndInvalidate(c.m_textColor, V::Color(v)); }},
        {L"disabledtextcolor", [](CLabelUI& c, const wchar_t* v) { c.SetAndInvalidate(c.m_disabledTextColor, V::Color(v)); }},
        {L"textpadding", [](CLabelUI& c, const wchar_t* v) { c.SetTextPadding(V::Rect(v)); }},
        {L"showhtml", [](CLabelUI& c, const wchar_t* v) { c.m_showHtml = V::Bool(v); }},
    };
    return table;
}

void CLabelUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    if (!ApplyAttribute(Attributes(), *this, name, value))
        CControlUI::SetAttribute(name, value);
}

void CLabelUI::SetTextStyle(UINT style) { SetAndInvalidate(m_textStyle, style); }

void CLabelUI::SetFont(int index) { SetAndInvalidate(m_font, index); }

void CLabelUI::SetTextPadding(RECT rc)
{
    m_rcTextPadding = rc;
    Invalidate();
}

SIZE CLabelUI::EstimateSize(SIZE available)
{
    SIZE fixed = CControlUI::EstimateSize(available);
    if (fixed.cy != 0 || !m_manager)
        return fixed;
    const TFontEntry* font = m_manager->GetFont(m_font);
    return {fixed.cx, (font ? font->metrics.tmHeight : 0) + 4};
}

void CLabelUI::ResolveTextColors()
{
    if (!m_manager)
        return;
    const TWindowSettings& s = m_manager->Settings();
    if (m_textColor == 0)
        m_textColor = s.defaultFontColor ? s.defaultFontColor : kDefaultTextColor;
    if (m_disabledTextColor == 0)
        m_disabledTextColor = s.disabledFontColor ? s.disabledFontColor : kDefaultDisabledTextColor;
}

uint32_t CLabelUI::CurrentTextColor() const { return IsEnabled() ? m_textColor : m_disabledTextColor; }

RECT CLabelUI::TextRect() const
{
    const RECT& p = m_rcTextPadding;
    return {m_rcItem.left + p.left, m_rcItem.top + p.top, m_rcItem.right - p.right, m_rcItem.bottom - p.bottom};
}

// Formatted text (showhtml) is drawn as plain text.
void CLabelUI::DrawLabelText(HDC hDC, const std::wstring& text, uint32_t color, UINT style)
{
    // The table's default font stands in for an index out of its range.
    const TFontEntry* font = m_manager ? m_manager->GetFont(CurrentFont()) : nullptr;
    CDrawKit::DrawPlainText(hDC, TextRect(), text, color, font ? font->hFont : nullptr, style);
}

void CLabelUI::PaintText(HDC hDC)
{
    ResolveTextColors();
    DrawLabelText(hDC, GetText(), CurrentTextColor(), m_textStyle);
}

} // namespace DuiLib
