#include "DuiLib/Render/PaintSurface.h"
#include "DuiLib/Render/DibSection.h"

namespace DuiLib {

HDC CPaintSurface::Prepare(HDC reference, SIZE size, bool dib32)
{
    if (m_dc && m_size.cx == size.cx && m_size.cy == size.cy && m_dib32 == dib32)
        return m_dc;
    Release();
    if (dib32) {
        void* bits = nullptr;
        m_bitmap = CDibSection::Create(reference, size, &bits);
    } else {
        m_bitmap = CreateCompatibleBitmap(reference, size.cx, size.cy);
    }
    m_dc = m_bitmap ? CreateCompatibleDC(reference) : nullptr;
    if (!m_dc) {
        Release();
        return nullptr;
    }
    m_oldBitmap = SelectObject(m_dc, m_bitmap);
    m_size = size;
    m_dib32 = dib32;
    return m_dc;
}

void CPaintSurface::Release()
{
    if (m_dc) {
        SelectObject(m_dc, m_oldBitmap);
        DeleteDC(m_dc);
    }
    if (m_bitmap)
        DeleteObject(m_bitmap);
    m_dc = nullptr;
    m_bitmap = nullptr;
    m_oldBitmap = nullptr;
    m_size = {0, 0};
}

} // namespace DuiLib
