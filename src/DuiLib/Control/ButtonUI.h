#pragma once
// A clickable label: hot while the mouse is over it, pushed while the left
// button is held down on it (the mouse stays captured until the button is
// released), and "click" when the button is released over it, or on Space
// or Enter while it has the focus. Shows an image per state and may use
// other text colours and fonts while hot, pushed or focused. UI thread
// only; owned by its parent container.
#include "DuiLib/Control/LabelUI.h"
#include "DuiLib/Control/StateImages.h"

namespace DuiLib {

class CButtonUI : public CLabelUI {
public:
    CButtonUI() : CLabelUI(DT_CENTER | DT_VCENTER | DT_SINGLELINE) {}
    const wchar_t* GetClass() const override { return L"ButtonUI"; }
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    bool Activate() override;
    void SetEnabled(bool enable = true) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void DoEvent(TControlEvent& event) override;
    void PaintStatusImage(HDC hDC) override;

    UINT GetState() const { return m_state; }

protected:
    uint32_t CurrentTextColor() const override;
    int CurrentFont() const override;
    // The state image (or the hot background colour); false when the
    // colour was used and nothing else may be drawn.
    bool PaintStateImage(HDC hDC);
    void PaintForeImage(HDC hDC);

    UINT m_state = 0;

private:
    static const TAttributeTable<CButtonUI>& Attributes();
    // Mouse events while captured or over the button.
    void DoMouseEvent(TControlEvent& event);

    CStateImages m_images;
    std::wstring m_hotForeImage;
    uint32_t m_hotBkColor = 0, m_hotTextColor = 0, m_pushedTextColor = 0, m_focusedTextColor = 0;
    int m_hotFont = -1, m_pushedFont = -1, m_focusedFont = -1;
};

} // namespace DuiLib
