#include "DuiLib/Core/FontTable.h"
#include <cwchar>

namespace DuiLib {

CFontTable::~CFontTable()
{
    for (TFontEntry& font : m_fonts)
        DeleteObject(font.hFont);
}

// The system's default GUI font with the skin's face, pixel height and style.
int CFontTable::Add(const std::wstring& face, int size, bool bold, bool underline, bool italic, bool isDefault,
                    HWND window)
{
    LOGFONTW lf = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = -size;
    if (bold)
        lf.lfWeight += FW_BOLD;
    lf.lfUnderline = underline;
    lf.lfItalic = italic;
    HFONT font = CreateFontIndirectW(&lf);
    if (!font)
        return -1;
    TFontEntry entry;
    entry.hFont = font;
    entry.faceName = face;
    entry.size = size;
    entry.bold = bold;
    entry.underline = underline;
    entry.italic = italic;
    if (window) {
        HDC dc = GetDC(window);
        HGDIOBJ old = SelectObject(dc, font);
        GetTextMetricsW(dc, &entry.metrics);
        SelectObject(dc, old);
        ReleaseDC(window, dc);
    }
    m_fonts.push_back(entry);
    int index = Count() - 1;
    if (isDefault)
        m_default = index;
    return index;
}

const TFontEntry* CFontTable::Get(int index) const
{
    if (index < 0 || index >= Count())
        index = m_default;
    return index >= 0 && index < Count() ? &m_fonts[static_cast<size_t>(index)] : nullptr;
}

} // namespace DuiLib
