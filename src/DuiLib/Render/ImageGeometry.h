#pragma once
// Where the pieces of an image go: destination and source resolution, the
// aspect-keeping fit, and the nine-slice split with tiling. Pure functions
// over rectangles, any thread.
#include <windows.h>
#include <vector>
#include "DuiLib/Render/ImageString.h"

namespace DuiLib {

struct TSliceOptions {
    RECT corner = {0, 0, 0, 0}; // widths of the fixed border slices
    bool hole = false;          // leave the middle slice out
    bool xTiled = false;        // repeat the middle slice instead of stretching it
    bool yTiled = false;
};

struct TSlicePiece {
    RECT src;
    RECT dst;
};

class CImageGeometry {
public:
    // The destination of a layer on a control: offsets are capped at the
    // control's right and bottom.
    static RECT Destination(DestAnchor anchor, const RECT& offsets, const RECT& control);
    // An all-zero source is the whole image; right and bottom are capped.
    static RECT Source(const RECT& source, int width, int height);
    // Without stretching: the destination shrunk to the source's aspect
    // ratio, or with center the source at natural size when it fits.
    static RECT Fit(const RECT& dest, const RECT& source, bool center);
    // The pieces to draw, in drawing order, each intersecting paint.
    static std::vector<TSlicePiece> NineSlice(const RECT& dest, const RECT& source, const RECT& paint,
                                              const TSliceOptions& options);
};

} // namespace DuiLib
