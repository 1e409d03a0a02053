#include "DuiLib/Layout/TabLayoutUI.h"
#include <algorithm>
#include <cwchar>
#include "DuiLib/Core/AttributeValue.h"
#include "DuiLib/Control/ControlHost.h"

namespace DuiLib {

void* CTabLayoutUI::GetInterface(const wchar_t* name)
{
    return wcscmp(name, L"TabLayout") == 0 ? this : CContainerUI::GetInterface(name);
}

bool CTabLayoutUI::Add(CControlUI* control)
{
    if (!CContainerUI::Add(control))
        return false;
    if (m_curSel == -1 && control->IsVisible())
        m_curSel = GetItemIndex(control);
    else
        control->SetVisible(false);
    return true;
}

bool CTabLayoutUI::AddAt(CControlUI* control, int index)
{
    if (!CContainerUI::AddAt(control, index))
        return false;
    if (m_curSel == -1 && control->IsVisible())
        m_curSel = GetItemIndex(control);
    else if (m_curSel != -1 && index <= m_curSel)
        ++m_curSel;
    else
        control->SetVisible(false);
    return true;
}

bool CTabLayoutUI::Remove(CControlUI* control) { return RemoveAt(GetItemIndex(control)); }

bool CTabLayoutUI::RemoveAt(int index)
{
    if (!CContainerUI::RemoveAt(index))
        return false;
    if (index == m_curSel) {
        if (GetCount() > 0) {
            m_curSel = 0;
            GetItemAt(0)->SetVisible(true);
        } else {
            m_curSel = -1;
        }
        NeedParentUpdate();
    } else if (index < m_curSel) {
        --m_curSel;
    }
    return true;
}

void CTabLayoutUI::RemoveAll()
{
    m_curSel = -1;
    CContainerUI::RemoveAll();
    NeedParentUpdate();
}

bool CTabLayoutUI::SelectItem(int index)
{
    if (index < 0 || index >= GetCount())
        return false;
    if (index == m_curSel)
        return true;
    int old = m_curSel;
    m_curSel = index;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* page = GetItemAt(i);
        if (i == index) {
            page->SetVisible(true);
            page->SetFocus();
        } else {
            page->SetVisible(false);
        }
    }
    PlaceSelected();
    NeedParentUpdate();
    if (m_manager) {
        m_manager->SetNextTabControl();
        m_manager->SendNotify(this, L"tabselect", static_cast<WPARAM>(index), static_cast<LPARAM>(old));
    }
    return true;
}

void CTabLayoutUI::SetPos(RECT rc)
{
    CControlUI::SetPos(rc);
    for (int i = 0; i < GetCount(); ++i)
        if (GetItemAt(i)->IsVisible() && GetItemAt(i)->IsFloat())
            SetFloatPos(i);
    PlaceSelected();
}

// The selected page fills the client area less its padding, at its
// estimated size where it has one, within its size limits.
void CTabLayoutUI::PlaceSelected()
{
    CControlUI* page = GetItemAt(m_curSel);
    if (!page || !page->IsVisible() || page->IsFloat())
        return;
    RECT area = ClientRect();
    const RECT& pad = page->GetPadding();
    area.left += pad.left;
    area.top += pad.top;
    area.right -= pad.right;
    area.bottom -= pad.bottom;
    SIZE available = {std::max(0L, area.right - area.left), std::max(0L, area.bottom - area.top)};
    SIZE s = page->EstimateSize(available);
    long width = s.cx ? s.cx : available.cx;
    long height = s.cy ? s.cy : available.cy;
    width = std::clamp<long>(width, page->GetMinWidth(), std::max(page->GetMinWidth(), page->GetMaxWidth()));
    height = std::clamp<long>(height, page->GetMinHeight(), std::max(page->GetMinHeight(), page->GetMaxHeight()));
    page->SetPos({area.left, area.top, area.left + width, area.top + height});
}

void CTabLayoutUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    if (wcscmp(name, L"selectedid") == 0 && CAttributeValue::Int(value) >= 0)
        SelectItem(CAttributeValue::Int(value));
    CContainerUI::SetAttribute(name, value);
}

} // namespace DuiLib
