#pragma once
// A bar filled in proportion to a value between a minimum and a maximum,
// left to right (or bottom to top when not horizontal), by drawing the
// foreground image into the filled part: squeezed, revealed, or revealed
// with rounded corners. A value outside the range is refused, not clamped.
// UI thread only; owned by its parent container.
#include <string>
#include "DuiLib/Control/LabelUI.h"

namespace DuiLib {

class CProgressUI : public CLabelUI {
public:
    CProgressUI() : CLabelUI(DT_CENTER | DT_SINGLELINE) {}
    const wchar_t* GetClass() const override { return L"ProgressUI"; }
    // The whole percent a bar stands at; 0 for an empty range.
    static int Percent(int value, int minValue, int maxValue);
    void* GetInterface(const wchar_t* name) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintStatusImage(HDC hDC) override;

    int GetValue() const { return m_value; }
    void SetValue(int value);
    int GetMinValue() const { return m_min; }
    void SetMinValue(int value);
    int GetMaxValue() const { return m_max; }
    void SetMaxValue(int value);

    // The modifier that draws the foreground image into the filled part of
    // a bar of the given size (empty when nothing is filled).
    std::wstring ForeModifier(SIZE bar, SIZE image) const;

private:
    static const TAttributeTable<CProgressUI>& Attributes();

    bool m_horizontal = true, m_stretchFore = true, m_roundCorner = false;
    int m_min = 0, m_max = 100, m_value = 0;
};

} // namespace DuiLib
