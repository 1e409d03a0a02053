#pragma once
// Hands a layered window its whole picture with per-pixel alpha: the
// source device context holds premultiplied 32-bit pixels, drawn over
// what lies beneath at full constant opacity. UI thread of the window.
#include <windows.h>

namespace DuiLib {

class CLayeredPush {
public:
    using UpdateFn = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD);

    // Places the window at `at` with the given size and the pixels of the
    // source from its origin; false when update is missing or fails.
    static bool Push(UpdateFn update, HWND window, HDC source, POINT at, SIZE size);
};

} // namespace DuiLib
