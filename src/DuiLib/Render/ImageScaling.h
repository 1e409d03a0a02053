#pragma once
// Art at the window's scale. The skin's art is drawn at 1x, 1.5x and 2x
// ("name.png", "name@1.5x.png", "name@2x.png"); an image is taken from the
// nearest drawing at or above the scale (the largest when the scale is
// above them all) and brought to the exact size by area averaging, which
// keeps thin lines and edges even when it scales down. Pure functions,
// any thread.
#include <cstdint>
#include <string>
#include <vector>
#include <windows.h>
#include "DuiLib/Core/DpiScale.h"

namespace DuiLib {

struct TImageVariant {
    std::wstring name;
    int dpi; // the scale it is drawn at, as a DPI
};

class CImageScaling {
public:
    // The drawings to try, best first; at 1.0 only the name itself.
    static std::vector<TImageVariant> Variants(const std::wstring& name, CDpiScale scale);
    // The size a drawing made at drawnDpi takes at the scale (at least 1 x 1).
    static SIZE TargetSize(SIZE drawn, int drawnDpi, CDpiScale scale);
    // Premultiplied 32-bit pixels, rows top-down, resampled by area averaging.
    static std::vector<uint32_t> Resample(const uint32_t* pixels, SIZE from, SIZE to);
};

} // namespace DuiLib
