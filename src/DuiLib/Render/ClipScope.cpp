#include "DuiLib/Render/ClipScope.h"

namespace DuiLib {

CClipScope::CClipScope(HDC dc, const RECT& rc) : m_dc(dc), m_saved(SaveDC(dc))
{
    IntersectClipRect(dc, rc.left, rc.top, rc.right, rc.bottom);
}

// A clip region is in device units: the viewport origin moves it along.
CClipScope::CClipScope(HDC dc, const RECT& rc, SIZE round) : m_dc(dc), m_saved(SaveDC(dc))
{
    POINT origin = {0, 0};
    GetViewportOrgEx(dc, &origin);
    HRGN region = CreateRoundRectRgn(rc.left + origin.x, rc.top + origin.y, rc.right + origin.x + 1,
                                     rc.bottom + origin.y + 1, round.cx, round.cy);
    ExtSelectClipRgn(dc, region, RGN_AND);
    DeleteObject(region);
}

} // namespace DuiLib
