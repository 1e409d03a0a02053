#include "DuiLib/Control/OptionUI.h"
#include <cwchar>
#include "DuiLib/Core/AttributeValue.h"
#include "DuiLib/Control/ControlHost.h"
#include "DuiLib/Render/DrawKit.h"

namespace DuiLib {

namespace {

using V = CAttributeValue;

} // namespace

void* COptionUI::GetInterface(const wchar_t* name)
{
    return wcscmp(name, L"Option") == 0 ? this : CButtonUI::GetInterface(name);
}

// The group lives in the window's manager, so it follows the option there.
void COptionUI::SetManager(IControlHost* manager, CControlUI* parent, bool init)
{
    if (m_manager != manager && !m_group.empty()) {
        if (m_manager)
            m_manager->OptionGroups().Leave(m_group, this);
        if (manager)
            manager->OptionGroups().Join(m_group, this);
    }
    CButtonUI::SetManager(manager, parent, init);
}

void COptionUI::SetGroup(const std::wstring& group)
{
    if (group == m_group)
        return;
    if (m_manager && !m_group.empty())
        m_manager->OptionGroups().Leave(m_group, this);
    m_group = group;
    if (m_manager && !m_group.empty())
        m_manager->OptionGroups().Join(m_group, this);
}

// A group option only ever selects itself; a lone one toggles.
bool COptionUI::Activate()
{
    if (!CButtonUI::Activate())
        return false;
    Selected(m_group.empty() ? !m_selected : true);
    return true;
}

void COptionUI::Selected(bool selected)
{
    if (m_selected == selected)
        return;
    m_selected = selected;
    m_state = selected ? m_state | UISTATE_SELECTED : m_state & ~UISTATE_SELECTED;
    if (m_manager) {
        if (m_group.empty()) {
            m_manager->SendNotify(this, L"selectchanged");
        } else if (selected) {
            for (CControlUI* member : m_manager->OptionGroups().Members(m_group))
                if (member != this)
                    static_cast<COptionUI*>(member)->Selected(false);
            m_manager->SendNotify(this, L"selectchanged");
        }
    }
    Invalidate();
}

const TAttributeTable<COptionUI>& COptionUI::Attributes()
{
    static const TAttributeTable<COptionUI> table = {
        {L"group", [](COptionUI& c, const wchar_t* v) { c.SetGroup(v); }},
        {L"selected", [](COptionUI& c, const wchar_t* v) { c.Selected(V::Bool(v)); }},
        {L"selectedimage", [](COptionUI& c, const wchar_t* v) { c.SetAndInvalidate(c.m_selectedImage, v); }},
        {L"selectedhotimage", [](COptionUI& c, const wchar_t* v) { c.SetAndInvalidate(c.m_selectedHotImage, v); }},
        {L"selectedbkcolor", [](COptionUI& c, const wchar_t* v) { c.SetAndInvalidate(c.m_selectedBkColor, V::Color(v)); }},
        {L"selectedtextcolor",
         [](COptionUI& c, const wchar_t* v) { c.SetAndInvalidate(c.m_selectedTextColor, V::Color(v)); }},
        {L"selectedfont", [](COptionUI& c, const wchar_t* v) { c.m_selectedFont = V::Int(v); }},
    };
    return table;
}

void COptionUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    if (!ApplyAttribute(Attributes(), *this, name, value))
        CButtonUI::SetAttribute(name, value);
}

uint32_t COptionUI::CurrentTextColor() const
{
    return m_selected && m_selectedTextColor ? m_selectedTextColor : CButtonUI::CurrentTextColor();
}

int COptionUI::CurrentFont() const
{
    return m_selected && m_selectedFont != -1 ? m_selectedFont : CButtonUI::CurrentFont();
}

// An option is never drawn pushed. Selected, it shows its selected image
// (the selected-hot one under the mouse) or else its selected colour.
void COptionUI::PaintStatusImage(HDC hDC)
{
    m_state &= ~UISTATE_PUSHED;
    const std::wstring& selectedImage =
        (m_state & UISTATE_HOT) && !m_selectedHotImage.empty() ? m_selectedHotImage : m_selectedImage;
    if (m_selected && !selectedImage.empty()) {
        DrawImage(hDC, selectedImage);
        PaintForeImage(hDC);
    } else if (m_selected && m_selectedBkColor != 0) {
        CDrawKit::DrawColor(hDC, m_rcPaint, m_selectedBkColor);
    } else {
        CButtonUI::PaintStatusImage(hDC);
    }
}

} // namespace DuiLib
