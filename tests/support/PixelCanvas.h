#pragma once
// A 32-bit top-down DIB section selected into a memory DC: the surface the
// drawing tests paint on and read back pixel by pixel (0xAARRGGBB).
#include <windows.h>
#include <cstdint>

class PixelCanvas {
public:
    PixelCanvas(int width, int height, uint32_t fill = 0) : m_width(width), m_height(height)
    {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        m_bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_bits = static_cast<uint32_t*>(bits);
        m_dc = CreateCompatibleDC(nullptr);
        m_old = SelectObject(m_dc, m_bitmap);
        for (int i = 0; i < width * height; ++i)
            m_bits[i] = fill;
    }
    ~PixelCanvas()
    {
        SelectObject(m_dc, m_old);
        DeleteDC(m_dc);
        DeleteObject(m_bitmap);
    }
    PixelCanvas(const PixelCanvas&) = delete;
    PixelCanvas& operator=(const PixelCanvas&) = delete;

    HDC Dc() const { return m_dc; }
    RECT Rect() const { return {0, 0, m_width, m_height}; }
    uint32_t At(int x, int y) const
    {
        GdiFlush();
        return m_bits[y * m_width + x];
    }
    // The colour channels only: GDI leaves alpha bytes as it likes.
    uint32_t Rgb(int x, int y) const { return At(x, y) & 0xFFFFFF; }

private:
    int m_width, m_height;
    HBITMAP m_bitmap;
    uint32_t* m_bits;
    HDC m_dc;
    HGDIOBJ m_old;
};
