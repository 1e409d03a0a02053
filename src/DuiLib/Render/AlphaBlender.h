#pragma once
// Source-over blending of a premultiplied image with a constant opacity:
// the platform's imaging library when it has the entry point (looked up
// once per process), else a software blend of the same formula. The
// stateless calls run on any thread that owns the device contexts.
#include <windows.h>
#include <cstdint>
#include "DuiLib/Render/ImageBitmap.h"

namespace DuiLib {

class CAlphaBlender {
public:
    // source is the image selected into sourceDc; it is stretched to dest.
    static void Blend(HDC target, const RECT& dest, HDC sourceDc, const CImageBitmap& image, const RECT& source,
                      uint8_t fade);
    // The fallback, public so that it can be held against the platform's.
    static void SoftwareBlend(HDC target, const RECT& dest, const CImageBitmap& image, const RECT& source,
                              uint8_t fade);
    // One pixel of both: result = source × fade + target × (1 - source alpha × fade).
    static uint32_t BlendPixel(uint32_t target, uint32_t source, uint8_t fade);
};

} // namespace DuiLib
