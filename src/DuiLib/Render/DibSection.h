#pragma once
// The one place the toolkit makes a 32-bit device-independent bitmap
// (blue, green, red, alpha per pixel) whose pixels it can write directly:
// offscreen surfaces, decoded images and the shadow's picture. Any thread;
// the caller owns the bitmap it returns and frees it with DeleteObject.
#include <windows.h>

namespace DuiLib {

class CDibSection {
public:
    enum class ERows { TopDown, BottomUp };

    // nullptr (and no bits) when the platform refuses; reference may be
    // nullptr for the screen.
    static HBITMAP Create(HDC reference, SIZE size, void** bits, ERows rows = ERows::TopDown);
};

} // namespace DuiLib
