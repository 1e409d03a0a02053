#include "DuiLib/Render/RoundClip.h"
#include <objidl.h>
#include <gdiplus.h>
#include "DuiLib/Render/MemoryDC.h"

namespace DuiLib {

namespace {

bool StartGdiPlus()
{
    static const bool started = [] {
        ULONG_PTR token = 0;
        Gdiplus::GdiplusStartupInput input;
        return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
    }();
    return started;
}

void AddRoundRect(Gdiplus::GraphicsPath& path, int w, int h, SIZE radii)
{
    Gdiplus::REAL rx = static_cast<Gdiplus::REAL>(radii.cx) * 2, ry = static_cast<Gdiplus::REAL>(radii.cy) * 2;
    path.AddArc(0.0f, 0.0f, rx, ry, 180.0f, 90.0f);
    path.AddArc(w - rx, 0.0f, rx, ry, 270.0f, 90.0f);
    path.AddArc(w - rx, h - ry, rx, ry, 0.0f, 90.0f);
    path.AddArc(0.0f, h - ry, rx, ry, 90.0f, 90.0f);
    path.CloseFigure();
}

} // namespace

void CRoundClip::Paint(HDC target, const RECT& dest, const CImageBitmap& picture, SIZE radii)
{
    int w = picture.Width(), h = picture.Height();
    std::unique_ptr<CImageBitmap> result = CImageBitmap::Create(w, h);
    if (!result || !StartGdiPlus())
        return;
    CMemoryDC dc(target, result->Handle());
    BitBlt(dc.Get(), 0, 0, w, h, target, dest.left, dest.top, SRCCOPY);
    GdiFlush();
    {
        Gdiplus::Bitmap texture(w, h, w * 4, PixelFormat32bppRGB, reinterpret_cast<BYTE*>(picture.Pixels()));
        Gdiplus::TextureBrush brush(&texture);
        Gdiplus::GraphicsPath path;
        AddRoundRect(path, w, h, radii);
        Gdiplus::Graphics graphics(dc.Get());
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        graphics.FillPath(&brush, &path);
    }
    BitBlt(target, dest.left, dest.top, w, h, dc.Get(), 0, 0, SRCCOPY);
}

} // namespace DuiLib
