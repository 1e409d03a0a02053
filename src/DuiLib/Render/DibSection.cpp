#include "DuiLib/Render/DibSection.h"

namespace DuiLib {

HBITMAP CDibSection::Create(HDC reference, SIZE size, void** bits, ERows rows)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size.cx;
    // A negative height is how the header says "top-down".
    info.bmiHeader.biHeight = rows == ERows::TopDown ? -size.cy : size.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(reference, &info, DIB_RGB_COLORS, bits, nullptr, 0);
    if (!bitmap)
        *bits = nullptr;
    return bitmap;
}

} // namespace DuiLib
