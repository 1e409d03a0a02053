#include "DuiLib/Render/MemoryDC.h"

namespace DuiLib {

CMemoryDC::CMemoryDC(HDC like, HBITMAP bitmap) : m_dc(CreateCompatibleDC(like)), m_old(SelectObject(m_dc, bitmap)) {}

CMemoryDC::~CMemoryDC()
{
    SelectObject(m_dc, m_old);
    DeleteDC(m_dc);
}

} // namespace DuiLib
