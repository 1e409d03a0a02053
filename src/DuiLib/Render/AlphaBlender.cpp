#include "DuiLib/Render/AlphaBlender.h"
#include <algorithm>
#include "DuiLib/Render/MemoryDC.h"
#include "Runtime/SystemLibrary.h"

namespace DuiLib {

namespace {

using AlphaBlendFn = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);

AlphaBlendFn PlatformBlend()
{
    static const AlphaBlendFn blend = CSystemLibrary::Find<AlphaBlendFn>(L"msimg32.dll", "AlphaBlend");
    return blend;
}

uint32_t Scale(uint32_t value, uint32_t by) { return (value * by + 127) / 255; }

} // namespace

uint32_t CAlphaBlender::BlendPixel(uint32_t target, uint32_t source, uint8_t fade)
{
    uint32_t keep = 255 - Scale(source >> 24, fade);
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t c = Scale((source >> shift) & 0xFF, fade) + Scale((target >> shift) & 0xFF, keep);
        out |= std::min<uint32_t>(c, 255) << shift;
    }
    return out;
}

void CAlphaBlender::Blend(HDC target, const RECT& d, HDC sourceDc, const CImageBitmap& image, const RECT& s,
                          uint8_t fade)
{
    AlphaBlendFn blend = PlatformBlend();
    if (!blend) {
        SoftwareBlend(target, d, image, s, fade);
        return;
    }
    BLENDFUNCTION bf = {AC_SRC_OVER, 0, fade, AC_SRC_ALPHA};
    blend(target, d.left, d.top, d.right - d.left, d.bottom - d.top, sourceDc, s.left, s.top, s.right - s.left,
          s.bottom - s.top, bf);
}

// The target area is read into a bitmap of our own, blended there with
// nearest-pixel sampling of the source, and written back.
void CAlphaBlender::SoftwareBlend(HDC target, const RECT& d, const CImageBitmap& image, const RECT& s, uint8_t fade)
{
    int w = d.right - d.left, h = d.bottom - d.top, sw = s.right - s.left, sh = s.bottom - s.top;
    std::unique_ptr<CImageBitmap> area = CImageBitmap::Create(w, h);
    if (!area || sw <= 0 || sh <= 0)
        return;
    CMemoryDC dc(target, area->Handle());
    BitBlt(dc.Get(), 0, 0, w, h, target, d.left, d.top, SRCCOPY);
    GdiFlush();
    for (int y = 0; y < h; ++y) {
        int sy = std::clamp<int>(s.top + y * sh / h, 0, image.Height() - 1);
        uint32_t* row = area->Pixels() + static_cast<size_t>(y) * w;
        for (int x = 0; x < w; ++x) {
            int sx = std::clamp<int>(s.left + x * sw / w, 0, image.Width() - 1);
            row[x] = BlendPixel(row[x], image.Pixel(sx, sy), fade);
        }
    }
    BitBlt(target, d.left, d.top, w, h, dc.Get(), 0, 0, SRCCOPY);
}

} // namespace DuiLib
