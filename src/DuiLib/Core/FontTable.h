#pragma once
// The fonts of one window's skin, addressed by their position in document
// order, with one of them the default. Owns the font handles. Text metrics
// are measured on the window when there is one. UI thread only.
#include <windows.h>
#include <string>
#include <vector>

namespace DuiLib {

struct TFontEntry {
    HFONT hFont = nullptr;
    std::wstring faceName;
    int size = 12;
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
    // An index out of range gives the default font (or nothing).
    const TFontEntry* Get(int index) const;
    int Count() const { return static_cast<int>(m_fonts.size()); }
    int DefaultIndex() const { return m_default; }

private:
    std::vector<TFontEntry> m_fonts;
    int m_default = -1;
};

} // namespace DuiLib
