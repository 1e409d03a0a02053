#pragma once
// A window's scale, held as the DPI of the monitor it is on (96 is 1.0,
// 144 is 1.5). Skins are written and their art drawn at 96 DPI; as a skin
// is built every length it gives is multiplied by this value, so that
// layout and painting work in the monitor's own pixels. A plain value, any
// thread; only ForWindow asks the system.
#include <windows.h>

namespace DuiLib {

class CDpiScale {
public:
    static constexpr int kBaseDpi = 96;

    constexpr CDpiScale() = default;
    // A DPI of zero or less reads as 96.
    explicit constexpr CDpiScale(int dpi) : m_dpi(dpi > 0 ? dpi : kBaseDpi) {}

    int Dpi() const { return m_dpi; }
    double Factor() const { return static_cast<double>(m_dpi) / kBaseDpi; }
    bool IsIdentity() const { return m_dpi == kBaseDpi; }
    // A length at this scale, halves rounded away from zero (355 at 1.5 is 533).
    int Scale(int length) const;
    SIZE Scale(SIZE size) const { return {Scale(size.cx), Scale(size.cy)}; }
    RECT Scale(const RECT& rc) const { return {Scale(rc.left), Scale(rc.top), Scale(rc.right), Scale(rc.bottom)}; }

    bool operator==(const CDpiScale& other) const { return m_dpi == other.m_dpi; }
    bool operator!=(const CDpiScale& other) const { return m_dpi != other.m_dpi; }

    // The scale of the monitor the window is on; the system's where the
    // per-window query is missing (before Windows 10 1607).
    static CDpiScale ForWindow(HWND window);

private:
    int m_dpi = kBaseDpi;
};

} // namespace DuiLib
