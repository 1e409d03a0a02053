#include "DuiLib/Control/ProgressUI.h"
#include <algorithm>
#include <cwchar>
#include "DuiLib/Core/AttributeValue.h"
#include "DuiLib/Control/ControlHost.h"
#include "DuiLib/Render/ImageString.h"

namespace DuiLib {

namespace {

using V = CAttributeValue;

std::wstring Format(const wchar_t* format, const RECT& dest, const RECT& source)
{
    wchar_t text[160];
    swprintf(text, 160, format, dest.left, dest.top, dest.right, dest.bottom, source.left, source.top, source.right,
             source.bottom);
    return text;
}

} // namespace

void* CProgressUI::GetInterface(const wchar_t* name)
{
    return wcscmp(name, L"Progress") == 0 ? this : CLabelUI::GetInterface(name);
}

const TAttributeTable<CProgressUI>& CProgressUI::Attributes()
{
    static const TAttributeTable<CProgressUI> table = {
        {L"hor", [](CProgressUI& c, const wchar_t* v) { c.m_horizontal = V::Bool(v); }},
        {L"min", [](CProgressUI& c, const wchar_t* v) { c.SetMinValue(V::Int(v)); }},
        {L"max", [](CProgressUI& c, const wchar_t* v) { c.SetMaxValue(V::Int(v)); }},
        {L"value", [](CProgressUI& c, const wchar_t* v) { c.SetValue(V::Int(v)); }},
        {L"isstretchfore", [](CProgressUI& c, const wchar_t* v) { c.m_stretchFore = V::Bool(v); }},
        {L"roundcorner", [](CProgressUI& c, const wchar_t* v) { c.m_roundCorner = V::Bool(v); }},
    };
    return table;
}

void CProgressUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    if (!ApplyAttribute(Attributes(), *this, name, value))
        CLabelUI::SetAttribute(name, value);
}

int CProgressUI::Percent(int value, int minValue, int maxValue)
{
    if (maxValue <= minValue)
        return 0;
    return static_cast<int>((static_cast<long long>(value) - minValue) * 100 / (maxValue - minValue));
}

void CProgressUI::SetValue(int value)
{
    if (value == m_value || value < m_min || value > m_max)
        return;
    const int percent = Percent(m_value, m_min, m_max);
    m_value = value;
    Invalidate();
    if (m_manager && Percent(m_value, m_min, m_max) != percent)
        m_manager->ReadersChanged(this);
}

void CProgressUI::SetMinValue(int value)
{
    m_min = value;
    Invalidate();
}

void CProgressUI::SetMaxValue(int value)
{
    m_max = value;
    Invalidate();
}

// Filled part relative to the bar: (0, 0, w, height) across, (0, y, width,
// height) upwards. Squeezed, the whole image goes into it; revealed, the
// same part of the image; with round corners, the image's far end.
std::wstring CProgressUI::ForeModifier(SIZE bar, SIZE image) const
{
    int max = m_max <= m_min ? m_min + 1 : m_max;
    int value = std::clamp(m_value, m_min, max);
    RECT filled = {0, 0, bar.cx, bar.cy};
    RECT roundSource = filled;
    if (m_horizontal) {
        filled.right = (value - m_min) * bar.cx / (max - m_min);
        roundSource = {image.cx - filled.right, 0, image.cx, bar.cy};
    } else {
        filled.top = (max - value) * bar.cy / (max - m_min);
        roundSource = {0, 0, bar.cx, bar.cy - filled.top};
    }
    if (IsRectEmpty(&filled))
        return L"";
    if (m_roundCorner)
        return Format(L"dest='%d,%d,%d,%d' source='%d,%d,%d,%d' roundcorner='3,3,3,3'", filled, roundSource);
    if (!m_stretchFore)
        return Format(L"dest='%d,%d,%d,%d' source='%d,%d,%d,%d'", filled, filled);
    return Format(L"dest='%d,%d,%d,%d'", filled, filled);
}

void CProgressUI::PaintStatusImage(HDC hDC)
{
    const std::wstring& fore = GetForeImage();
    if (fore.empty() || !m_manager)
        return;
    SIZE image = {0, 0};
    if (m_roundCorner) {
        const TImageLayer layer = CImageString::Parse(fore).back();
        if (const CImageBitmap* bitmap = m_manager->GetImageCache().Get(layer.name, layer.resType, layer.mask))
            image = {bitmap->Width(), bitmap->Height()};
    }
    std::wstring modifier = ForeModifier({GetWidth(), GetHeight()}, image);
    if (!modifier.empty())
        DrawImage(hDC, fore, modifier);
}

} // namespace DuiLib
