#include "DuiLib/Render/DrawKit.h"
#include "DuiLib/Render/AlphaBlender.h"
#include "DuiLib/Render/MemoryDC.h"
#include "DuiLib/Render/RoundClip.h"

namespace DuiLib {

namespace {

// A pen of the colour selected with a hollow brush, both undone on exit.
class FramePen {
public:
    FramePen(HDC dc, int width, uint32_t argb, int style)
        : m_dc(dc), m_pen(CreatePen(style, width, CDrawKit::ToColorRef(argb))), m_oldPen(SelectObject(dc, m_pen)),
          m_oldBrush(SelectObject(dc, GetStockObject(HOLLOW_BRUSH)))
    {
    }
    ~FramePen()
    {
        SelectObject(m_dc, m_oldBrush);
        SelectObject(m_dc, m_oldPen);
        DeleteObject(m_pen);
    }
    FramePen(const FramePen&) = delete;
    FramePen& operator=(const FramePen&) = delete;

private:
    HDC m_dc;
    HPEN m_pen;
    HGDIOBJ m_oldPen, m_oldBrush;
};

uint32_t Mix(uint32_t a, uint32_t b, int step, int steps)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        int ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
        out |= static_cast<uint32_t>(ca + (cb - ca) * step / steps) << shift;
    }
    return out;
}

} // namespace

bool CDrawKit::DrawImageString(HDC dc, CImageCache* images, const RECT& control, const RECT& paint,
                               std::wstring_view image, std::wstring_view modifier)
{
    if (!dc || !images)
        return false;
    for (const TImageLayer& layer : CImageString::Parse(image, modifier))
        DrawLayer(dc, *images, control, paint, layer);
    return true;
}

void CDrawKit::DrawLayer(HDC dc, CImageCache& images, const RECT& control, const RECT& paint, const TImageLayer& layer)
{
    const CImageBitmap* image = images.Get(layer.name, layer.resType, layer.mask);
    if (!image)
        return;
    RECT dest = CImageGeometry::Destination(layer.anchor, layer.dest, control);
    RECT source = CImageGeometry::Source(layer.source, image->Width(), image->Height());
    RECT seen;
    if (!IntersectRect(&seen, &dest, &control) || !IntersectRect(&seen, &dest, &paint))
        return;
    if (!layer.stretch)
        dest = CImageGeometry::Fit(dest, source, layer.center);
    TSliceOptions options = {layer.corner, layer.hole, layer.xTiled, layer.yTiled};
    if (layer.roundCorner.cx > 0 || layer.roundCorner.cy > 0)
        DrawRounded(dc, *image, dest, paint, source, options, layer.fade, layer.roundCorner);
    else
        DrawImage(dc, *image, dest, paint, source, options, layer.fade);
}

// The image is drawn over a copy of the target area first, so that the
// anti-aliased corners blend into what was there.
void CDrawKit::DrawRounded(HDC dc, const CImageBitmap& image, const RECT& dest, const RECT& paint,
                           const RECT& source, const TSliceOptions& options, uint8_t fade, SIZE radii)
{
    std::unique_ptr<CImageBitmap> picture = CImageBitmap::Create(dest.right - dest.left, dest.bottom - dest.top);
    if (!picture)
        return;
    {
        CMemoryDC canvas(dc, picture->Handle());
        BitBlt(canvas.Get(), 0, 0, picture->Width(), picture->Height(), dc, dest.left, dest.top, SRCCOPY);
        RECT local = {0, 0, picture->Width(), picture->Height()};
        RECT localPaint = paint;
        OffsetRect(&localPaint, -dest.left, -dest.top);
        DrawImage(canvas.Get(), image, local, localPaint, source, options, fade);
        GdiFlush();
    }
    CRoundClip::Paint(dc, dest, *picture, radii);
}

void CDrawKit::DrawImage(HDC dc, const CImageBitmap& image, const RECT& dest, const RECT& paint, const RECT& source,
                         const TSliceOptions& options, uint8_t fade)
{
    std::vector<TSlicePiece> pieces = CImageGeometry::NineSlice(dest, source, paint, options);
    if (pieces.empty())
        return;
    CMemoryDC src(dc, image.Handle());
    if (image.HasAlpha() || fade < 255) {
        for (const TSlicePiece& p : pieces)
            CAlphaBlender::Blend(dc, p.dst, src.Get(), image, p.src, fade);
        return;
    }
    RECT c = options.corner, copy;
    bool sameSize = dest.right - dest.left == source.right - source.left &&
                    dest.bottom - dest.top == source.bottom - source.top;
    if (sameSize && !options.hole && !c.left && !c.top && !c.right && !c.bottom) {
        if (IntersectRect(&copy, &dest, &paint))
            BitBlt(dc, copy.left, copy.top, copy.right - copy.left, copy.bottom - copy.top, src.Get(),
                   source.left + copy.left - dest.left, source.top + copy.top - dest.top, SRCCOPY);
        return;
    }
    int oldMode = SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    for (const TSlicePiece& p : pieces)
        StretchBlt(dc, p.dst.left, p.dst.top, p.dst.right - p.dst.left, p.dst.bottom - p.dst.top, src.Get(),
                   p.src.left, p.src.top, p.src.right - p.src.left, p.src.bottom - p.src.top, SRCCOPY);
    SetStretchBltMode(dc, oldMode);
}

void CDrawKit::DrawColor(HDC dc, const RECT& rc, uint32_t argb)
{
    uint8_t alpha = static_cast<uint8_t>(argb >> 24);
    if (alpha == 0)
        return;
    if (alpha == 255) {
        COLORREF old = SetBkColor(dc, ToColorRef(argb));
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
        SetBkColor(dc, old);
        return;
    }
    std::unique_ptr<CImageBitmap> pixel = CImageBitmap::Create(1, 1);
    if (!pixel)
        return;
    pixel->Pixels()[0] = argb | 0xFF000000;
    CMemoryDC src(dc, pixel->Handle());
    CAlphaBlender::Blend(dc, rc, src.Get(), *pixel, {0, 0, 1, 1}, alpha);
}

void CDrawKit::DrawGradient(HDC dc, const RECT& rc, uint32_t first, uint32_t second, bool vertical, int steps)
{
    if (steps < 1)
        return;
    LONG start = vertical ? rc.top : rc.left, length = vertical ? rc.bottom - rc.top : rc.right - rc.left;
    for (int i = 0; i < steps; ++i) {
        LONG from = start + length * i / steps, to = start + length * (i + 1) / steps;
        RECT band = vertical ? RECT{rc.left, from, rc.right, to} : RECT{from, rc.top, to, rc.bottom};
        DrawColor(dc, band, steps == 1 ? first : Mix(first, second, i, steps - 1));
    }
}

void CDrawKit::DrawLine(HDC dc, const RECT& rc, int width, uint32_t argb, int style)
{
    if ((argb >> 24) == 0)
        return;
    FramePen pen(dc, width, argb, style);
    MoveToEx(dc, rc.left, rc.top, nullptr);
    LineTo(dc, rc.right, rc.bottom);
}

void CDrawKit::DrawRect(HDC dc, const RECT& rc, int width, uint32_t argb, int style)
{
    if ((argb >> 24) == 0)
        return;
    FramePen pen(dc, width, argb, style);
    Rectangle(dc, rc.left, rc.top, rc.right, rc.bottom);
}

void CDrawKit::DrawRoundRect(HDC dc, const RECT& rc, int width, SIZE round, uint32_t argb, int style)
{
    if ((argb >> 24) == 0)
        return;
    FramePen pen(dc, width, argb, style);
    RoundRect(dc, rc.left, rc.top, rc.right, rc.bottom, round.cx, round.cy);
}

void CDrawKit::DrawPlainText(HDC dc, const RECT& rc, std::wstring_view text, uint32_t argb, HFONT font, UINT style)
{
    if (text.empty())
        return;
    RECT area = rc;
    int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldColor = SetTextColor(dc, ToColorRef(argb));
    HGDIOBJ oldFont = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    DrawTextW(dc, text.data(), static_cast<int>(text.size()), &area, style | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
}

} // namespace DuiLib
