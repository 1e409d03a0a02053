#pragma once
// A button that stays selected: a check box, or one of a group of which at
// most one is selected (groups are kept per window by its manager, under
// the group's name). Selecting sends "selectchanged"; in a group only the
// newly selected option sends it. UI thread only; owned by its parent
// container. The manager drops a destroyed option from its group.
#include "DuiLib/Control/ButtonUI.h"

namespace DuiLib {

class COptionUI : public CButtonUI {
public:
    const wchar_t* GetClass() const override { return L"OptionUI"; }
    void* GetInterface(const wchar_t* name) override;
    void SetManager(IControlHost* manager, CControlUI* parent, bool init) override;
    bool Activate() override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintStatusImage(HDC hDC) override;

    bool IsSelected() const { return m_selected; }
    void Selected(bool selected);
    const std::wstring& GetGroup() const { return m_group; }
    void SetGroup(const std::wstring& group);

protected:
    uint32_t CurrentTextColor() const override;
    int CurrentFont() const override;

private:
    static const TAttributeTable<COptionUI>& Attributes();

    bool m_selected = false;
    std::wstring m_group, m_selectedImage, m_selectedHotImage;
    uint32_t m_selectedBkColor = 0, m_selectedTextColor = 0;
    int m_selectedFont = -1;
};

} // namespace DuiLib
