#include "DuiLib/Render/ImageBitmap.h"
#include <cstring>
#include <vector>
#include "DuiLib/Render/DibSection.h"
#include "DuiLib/Render/ImageScaling.h"

namespace DuiLib {

CImageBitmap::CImageBitmap(HBITMAP bitmap, uint32_t* pixels, int width, int height)
    : m_bitmap(bitmap), m_pixels(pixels), m_width(width), m_height(height)
{
}

CImageBitmap::~CImageBitmap() { DeleteObject(m_bitmap); }

std::unique_ptr<CImageBitmap> CImageBitmap::Create(int width, int height)
{
    if (width <= 0 || height <= 0)
        return nullptr;
    void* bits = nullptr;
    HBITMAP bitmap = CDibSection::Create(nullptr, {width, height}, &bits);
    if (!bitmap)
        return nullptr;
    std::memset(bits, 0, static_cast<size_t>(width) * height * 4);
    return std::unique_ptr<CImageBitmap>(new CImageBitmap(bitmap, static_cast<uint32_t*>(bits), width, height));
}

std::unique_ptr<CImageBitmap> CImageBitmap::FromRgba(const uint8_t* rgba, int width, int height, uint32_t mask)
{
    std::unique_ptr<CImageBitmap> image = Create(width, height);
    if (image)
        image->m_alpha = Premultiply(rgba, static_cast<size_t>(width) * height, mask, image->m_pixels);
    return image;
}

std::unique_ptr<CImageBitmap> CImageBitmap::Resized(SIZE size) const
{
    std::unique_ptr<CImageBitmap> image = Create(size.cx, size.cy);
    if (!image)
        return nullptr;
    std::vector<uint32_t> pixels = CImageScaling::Resample(m_pixels, {m_width, m_height}, size);
    std::memcpy(image->m_pixels, pixels.data(), pixels.size() * sizeof(uint32_t));
    image->m_alpha = m_alpha;
    return image;
}

bool CImageBitmap::Premultiply(const uint8_t* rgba, size_t count, uint32_t mask, uint32_t* out)
{
    bool alpha = false;
    for (size_t i = 0; i < count; ++i, rgba += 4) {
        uint32_t a = rgba[3], r = rgba[0], g = rgba[1], b = rgba[2];
        if (a != 255) {
            r = r * a / 255, g = g * a / 255, b = b * a / 255;
            alpha = true;
        }
        uint32_t pixel = a << 24 | r << 16 | g << 8 | b;
        if (pixel == mask) {
            pixel = 0;
            alpha = true;
        }
        out[i] = pixel;
    }
    return alpha;
}

} // namespace DuiLib
