#pragma once
// Owns one 32-bit top-down DIB section whose pixels are blue, green, red,
// alpha with the colours premultiplied by alpha: the form every image is
// drawn from. Created and used on the UI thread; the pixels stay valid as
// long as the object lives.
#include <windows.h>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace DuiLib {

class CImageBitmap {
public:
    // A zeroed (fully transparent) bitmap; nullptr when the platform refuses.
    static std::unique_ptr<CImageBitmap> Create(int width, int height);
    // From 8-bit RGBA rows: premultiplied, and pixels equal to mask (as
    // 0xAARRGGBB after premultiplying) cleared.
    static std::unique_ptr<CImageBitmap> FromRgba(const uint8_t* rgba, int width, int height, uint32_t mask);
    // The same picture at another size (see CImageScaling::Resample).
    std::unique_ptr<CImageBitmap> Resized(SIZE size) const;
    CImageBitmap(const CImageBitmap&) = delete;
    CImageBitmap& operator=(const CImageBitmap&) = delete;
    ~CImageBitmap();

    HBITMAP Handle() const { return m_bitmap; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    bool HasAlpha() const { return m_alpha; }
    uint32_t* Pixels() const { return m_pixels; }
    uint32_t Pixel(int x, int y) const { return m_pixels[static_cast<size_t>(y) * m_width + x]; }

private:
    CImageBitmap(HBITMAP bitmap, uint32_t* pixels, int width, int height);
    // Converts count pixels; true when any is not fully opaque or was masked.
    static bool Premultiply(const uint8_t* rgba, size_t count, uint32_t mask, uint32_t* out);

    HBITMAP m_bitmap;
    uint32_t* m_pixels;
    int m_width;
    int m_height;
    bool m_alpha = false;
};

} // namespace DuiLib
