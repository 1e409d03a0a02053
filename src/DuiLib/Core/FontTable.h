#pragma once
// The fonts of one window's skin, addressed by their position in document
// order, with one of them the default. Owns the font handles. Sizes are the
// skin's (at 96 DPI); each font is made at the table's scale, and made
// again when the scale changes. Text metrics are measured on the window
// when there is one. UI thread only.
#include <windows.h>
#include <string>
#include <vector>
#include "DuiLib/Core/DpiScale.h"

namespace DuiLib {

struct TFontEntry {
    HFONT hFont = nullptr;
    std::wstring faceName;
    int size = 12; // the skin's size; the font's pixel height is this at the scale
    bool bold = false, underline = false, italic = false;
    TEXTMETRICW metrics = {};
};

class CFontTable {
public:
    CFontTable() = default;
    CFontTable(const CFontTable&) = delete;
    CFontTable& operator=(const CFontTable&) = delete;
    ~CFontTable();

    // The new font's index, or -1 when it cannot be made.
    int Add(const std::wstring& face, int size, bool bold, bool underline, bool italic, bool isDefault, HWND window);
    // Makes every font again at the new scale; a font that cannot be made
    // keeps its old handle. Old handles live on with the table: a native
    // edit box may still draw with one.
    void SetScale(CDpiScale scale, HWND window);
    // An index out of range gives the default font (or nothing).
    const TFontEntry* Get(int index) const;
    int Count() const { return static_cast<int>(m_fonts.size()); }
    int DefaultIndex() const { return m_default; }

private:
    bool Make(TFontEntry& entry, HWND window) const;

    std::vector<TFontEntry> m_fonts;
    std::vector<HFONT> m_retired;
    CDpiScale m_scale;
    int m_default = -1;
};

} // namespace DuiLib
