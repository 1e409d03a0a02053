#pragma once
// An offscreen bitmap selected into a memory device context, kept between
// paints and made again only when the size changes. The 32-bit kind is a
// top-down DIB section whose pixels can be pushed to a layered window.
// Owned by one window manager; UI thread only.
#include <windows.h>

namespace DuiLib {

class CPaintSurface {
public:
    CPaintSurface() = default;
    CPaintSurface(const CPaintSurface&) = delete;
    CPaintSurface& operator=(const CPaintSurface&) = delete;
    ~CPaintSurface() { Release(); }

    // The surface's device context, compatible with `reference`, of at
    // least the given size; nullptr when it cannot be made.
    HDC Prepare(HDC reference, SIZE size, bool dib32);
    void Release();

private:
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
    SIZE m_size = {0, 0};
    bool m_dib32 = false;
};

} // namespace DuiLib
