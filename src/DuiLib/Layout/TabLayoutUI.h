#pragma once
// Shows one child at a time, the selected one, over its whole client area;
// the others stay hidden. Selecting another page sends "tabselect" with the
// new index in wParam and the old one in lParam. UI thread only.
#include "DuiLib/Layout/ContainerUI.h"

namespace DuiLib {

class CTabLayoutUI : public CContainerUI {
public:
    const wchar_t* GetClass() const override { return L"TabLayoutUI"; }
    void* GetInterface(const wchar_t* name) override;

    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;
    void SetPos(RECT rc) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

    int GetCurSel() const { return m_curSel; }
    bool SelectItem(int index);

private:
    void PlaceSelected();

    int m_curSel = -1;
};

} // namespace DuiLib
