#include "DuiLib/Render/ImageGeometry.h"
#include <algorithm>

namespace DuiLib {

namespace {

struct Span {
    LONG src0, src1, dst0, dst1;
};

// The three bands of one axis: fixed start, middle, fixed end.
struct Bands {
    Span span[3];
    bool present[3];
};

Bands Split(LONG src0, LONG src1, LONG dst0, LONG dst1, LONG head, LONG tail)
{
    return {{{src0, src0 + head, dst0, dst0 + head},
             {src0 + head, src1 - tail, dst0 + head, dst1 - tail},
             {src1 - tail, src1, dst1 - tail, dst1}},
            {head > 0, true, tail > 0}};
}

// One stretched span, or tiles of the source length with the last cropped.
// Only tiles that can meet the paint range [lo, hi) are made, so a huge
// destination costs no more than what is visible.
std::vector<Span> Tiles(const Span& s, bool tiled, LONG lo, LONG hi)
{
    LONG length = s.src1 - s.src0;
    if (!tiled || length <= 0)
        return {s};
    std::vector<Span> tiles;
    LONG first = s.dst0 + std::max<LONG>(0, (lo - s.dst0) / length) * length;
    for (LONG at = first; at < std::min(s.dst1, hi); at += length) {
        LONG size = std::min(length, s.dst1 - at);
        tiles.push_back({s.src0, s.src0 + size, at, at + size});
    }
    return tiles;
}

// Middle first, then the border pieces row by row.
const int kOrder[9][2] = {{1, 1}, {0, 0}, {1, 0}, {2, 0}, {0, 1}, {2, 1}, {0, 2}, {1, 2}, {2, 2}};

} // namespace

RECT CImageGeometry::Destination(DestAnchor anchor, const RECT& o, const RECT& c)
{
    if (anchor == DestAnchor::Control)
        return c;
    POINT base = anchor == DestAnchor::TopLeft ? POINT{c.left, c.top} : POINT{c.right, c.bottom};
    return {base.x + o.left, base.y + o.top, std::min(base.x + o.right, c.right), std::min(base.y + o.bottom, c.bottom)};
}

RECT CImageGeometry::Source(const RECT& s, int width, int height)
{
    if (s.left == 0 && s.top == 0 && s.right == 0 && s.bottom == 0)
        return {0, 0, width, height};
    return {s.left, s.top, std::min<LONG>(s.right, width), std::min<LONG>(s.bottom, height)};
}

RECT CImageGeometry::Fit(const RECT& d, const RECT& s, bool center)
{
    LONG dw = d.right - d.left, dh = d.bottom - d.top;
    LONG sw = s.right - s.left, sh = s.bottom - s.top;
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
        return d;
    RECT r = d;
    if (center) {
        if (sw <= dw && sh <= dh) {
            r.left += (dw - sw) / 2, r.top += (dh - sh) / 2;
            r.right = r.left + sw, r.bottom = r.top + sh;
        }
    } else if (int64_t(dw) * sh > int64_t(sw) * dh) {
        LONG w = static_cast<LONG>(int64_t(sw) * dh / sh);
        r.left += (dw - w) / 2, r.right = r.left + w;
    } else if (int64_t(dw) * sh < int64_t(sw) * dh) {
        LONG h = static_cast<LONG>(int64_t(sh) * dw / sw);
        r.top += (dh - h) / 2, r.bottom = r.top + h;
    }
    return r;
}

std::vector<TSlicePiece> CImageGeometry::NineSlice(const RECT& d, const RECT& s, const RECT& paint,
                                                   const TSliceOptions& o)
{
    Bands x = Split(s.left, s.right, d.left, d.right, o.corner.left, o.corner.right);
    Bands y = Split(s.top, s.bottom, d.top, d.bottom, o.corner.top, o.corner.bottom);
    std::vector<TSlicePiece> pieces;
    for (const auto& [col, row] : kOrder) {
        bool middle = col == 1 && row == 1;
        if (!x.present[col] || !y.present[row] || (middle && o.hole))
            continue;
        for (const Span& sy : Tiles(y.span[row], middle && o.yTiled, paint.top, paint.bottom)) {
            for (const Span& sx : Tiles(x.span[col], middle && o.xTiled, paint.left, paint.right)) {
                TSlicePiece p = {{sx.src0, sy.src0, sx.src1, sy.src1}, {sx.dst0, sy.dst0, sx.dst1, sy.dst1}};
                RECT visible;
                if (!IsRectEmpty(&p.src) && IntersectRect(&visible, &p.dst, &paint))
                    pieces.push_back(p);
            }
        }
    }
    return pieces;
}

} // namespace DuiLib
