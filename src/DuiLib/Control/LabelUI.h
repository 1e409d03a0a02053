#pragma once
// A text in a box: colours (zero takes the window's defaults at the first
// paint), a font index of the window's font table, text style flags set by
// `align`, and padding around the text. The base of the button, option,
// edit and progress controls, which choose colour and font per state
// through CurrentTextColor and CurrentFont. UI thread only; owned by its
// parent container like any control.
#include <cstdint>
#include "DuiLib/Control/ControlUI.h"
#include "DuiLib/Core/AttributeTable.h"

namespace DuiLib {

class CLabelUI : public CControlUI {
public:
    CLabelUI() = default;
    const wchar_t* GetClass() const override { return L"LabelUI"; }
    void* GetInterface(const wchar_t* name) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    // One line of the font tall while no height is fixed.
    SIZE EstimateSize(SIZE available) override;
    void PaintText(HDC hDC) override;

    // The style after each word of an `align` value found in it (as a
    // substring, in a fixed order) has cleared and set its flags.
    static UINT ApplyAlign(UINT style, const wchar_t* value);

    UINT GetTextStyle() const { return m_textStyle; }
    void SetTextStyle(UINT style);
    uint32_t GetTextColor() const { return m_textColor; }
    void SetTextColor(uint32_t color) { SetAndInvalidate(m_textColor, color); }
    uint32_t GetDisabledTextColor() const { return m_disabledTextColor; }
    int GetFont() const { return m_font; }
    void SetFont(int index);
    const RECT& GetTextPadding() const { return m_rcTextPadding; }
    void SetTextPadding(RECT rc);

protected:
    explicit CLabelUI(UINT textStyle) : m_textStyle(textStyle) {}
    // Zero colours become the window's defaults, kept from then on.
    void ResolveTextColors();
    virtual uint32_t CurrentTextColor() const;
    virtual int CurrentFont() const { return m_font; }
    RECT TextRect() const;
    void DrawLabelText(HDC hDC, const std::wstring& text, uint32_t color, UINT style);

private:
    static const TAttributeTable<CLabelUI>& Attributes();

    uint32_t m_textColor = 0, m_disabledTextColor = 0;
    int m_font = -1;
    UINT m_textStyle = DT_VCENTER;
    RECT m_rcTextPadding = {0, 0, 0, 0};
    bool m_showHtml = false;
};

} // namespace DuiLib
