#pragma once
// A memory device context compatible with another, with one bitmap
// selected for its lifetime; the bitmap stays owned by the caller. One
// thread.
#include <windows.h>

namespace DuiLib {

class CMemoryDC {
public:
    CMemoryDC(HDC like, HBITMAP bitmap);
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;
    ~CMemoryDC();

    HDC Get() const { return m_dc; }

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

} // namespace DuiLib
