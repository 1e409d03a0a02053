#include "DuiLib/Core/DpiScale.h"
#include <cstdint>

namespace DuiLib {

int CDpiScale::Scale(int length) const
{
    const int64_t product = int64_t(length) * m_dpi;
    const int64_t half = kBaseDpi / 2;
    return static_cast<int>((product >= 0 ? product + half : product - half) / kBaseDpi);
}

CDpiScale CDpiScale::ForWindow(HWND window)
{
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow && window)
        if (UINT dpi = getDpiForWindow(window))
            return CDpiScale(static_cast<int>(dpi));
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : kBaseDpi;
    if (screen)
        ReleaseDC(nullptr, screen);
    return CDpiScale(dpi);
}

} // namespace DuiLib
