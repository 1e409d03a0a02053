#pragma once
// Limits drawing on a device context to a rectangle, or to a rounded
// rectangle, for as long as it lives; the context's earlier clip comes
// back at the end. Lives on the stack of one paint call, UI thread only.
#include <windows.h>

namespace DuiLib {

class CClipScope {
public:
    CClipScope(HDC dc, const RECT& rc);
    // Corners rounded by ellipses of round.cx by round.cy.
    CClipScope(HDC dc, const RECT& rc, SIZE round);
    ~CClipScope() { RestoreDC(m_dc, m_saved); }
    CClipScope(const CClipScope&) = delete;
    CClipScope& operator=(const CClipScope&) = delete;

private:
    HDC m_dc;
    int m_saved;
};

} // namespace DuiLib
