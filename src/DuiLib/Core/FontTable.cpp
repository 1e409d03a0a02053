#include "DuiLib/Core/FontTable.h"
#include <cwchar>

namespace DuiLib {

CFontTable::~CFontTable()
{
    for (TFontEntry& font : m_fonts)
        DeleteObject(font.hFont);
    for (HFONT font : m_retired)
        DeleteObject(font);
}

int CFontTable::Add(const std::wstring& face, int size, bool bold, bool underline, bool italic, bool isDefault,
                    HWND window)
{
    TFontEntry entry;
    entry.faceName = face;
    entry.size = size;
    entry.bold = bold;
    entry.underline = underline;
    entry.italic = italic;
    if (!Make(entry, window))
        return -1;
    m_fonts.push_back(entry);
    int index = Count() - 1;
    if (isDefault)
        m_default = index;
    return index;
}

void CFontTable::SetScale(CDpiScale scale, HWND window)
{
    m_scale = scale;
    for (TFontEntry& entry : m_fonts) {
        HFONT old = entry.hFont;
        if (Make(entry, window))
            m_retired.push_back(old);
    }
}

// The system's default GUI font with the skin's face and style, its pixel
// height the skin's size at the table's scale.
bool CFontTable::Make(TFontEntry& entry, HWND window) const
{
    LOGFONTW lf = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    wcsncpy(lf.lfFaceName, entry.faceName.c_str(), LF_FACESIZE - 1);
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = -m_scale.Scale(entry.size);
    if (entry.bold)
        lf.lfWeight += FW_BOLD;
    lf.lfUnderline = entry.underline;
    lf.lfItalic = entry.italic;
    HFONT font = CreateFontIndirectW(&lf);
    if (!font)
        return false;
    entry.hFont = font;
    if (window) {
        HDC dc = GetDC(window);
        HGDIOBJ old = SelectObject(dc, font);
        GetTextMetricsW(dc, &entry.metrics);
        SelectObject(dc, old);
        ReleaseDC(window, dc);
    }
    return true;
}

const TFontEntry* CFontTable::Get(int index) const
{
    if (index < 0 || index >= Count())
        index = m_default;
    return index >= 0 && index < Count() ? &m_fonts[static_cast<size_t>(index)] : nullptr;
}

} // namespace DuiLib
