#pragma once
// The stateless drawing routines of the toolkit: image strings over a
// window's image cache, the nine-slice core, colours, gradients, lines,
// frames and text. Colours are 0xAARRGGBB; alpha 0 draws nothing. Call on
// the UI thread with a device context the caller owns; nothing here keeps
// a handle past the call.
#include <windows.h>
#include <cstdint>
#include <string_view>
#include "DuiLib/Render/ImageCache.h"
#include "DuiLib/Render/ImageGeometry.h"

namespace DuiLib {

class CDrawKit {
public:
    // Draws every image the string names, then the modifier's settings
    // applied to the last. False only without a device context or cache:
    // an image that cannot be loaded just draws nothing.
    static bool DrawImageString(HDC dc, CImageCache* images, const RECT& control, const RECT& paint,
                                std::wstring_view image, std::wstring_view modifier = {});
    // The nine-slice core: source (in image pixels) onto dest, only the
    // pieces that meet paint.
    static void DrawImage(HDC dc, const CImageBitmap& image, const RECT& dest, const RECT& paint, const RECT& source,
                          const TSliceOptions& options, uint8_t fade);

    // The platform's colour for 0xAARRGGBB, alpha dropped.
    static COLORREF ToColorRef(uint32_t argb) { return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF); }

    static void DrawColor(HDC dc, const RECT& rc, uint32_t argb);
    static void DrawGradient(HDC dc, const RECT& rc, uint32_t first, uint32_t second, bool vertical, int steps);
    static void DrawLine(HDC dc, const RECT& rc, int width, uint32_t argb, int style = PS_SOLID);
    static void DrawRect(HDC dc, const RECT& rc, int width, uint32_t argb, int style = PS_SOLID);
    static void DrawRoundRect(HDC dc, const RECT& rc, int width, SIZE round, uint32_t argb, int style = PS_SOLID);

    // Transparent background, '&' shown as it is; a null font means the
    // system's default GUI font.
    static void DrawPlainText(HDC dc, const RECT& rc, std::wstring_view text, uint32_t argb, HFONT font, UINT style);

private:
    static void DrawLayer(HDC dc, CImageCache& images, const RECT& control, const RECT& paint, const TImageLayer& layer);
    static void DrawRounded(HDC dc, const CImageBitmap& image, const RECT& dest, const RECT& paint,
                            const RECT& source, const TSliceOptions& options, uint8_t fade, SIZE radii);
};

} // namespace DuiLib
