#pragma once
// Puts a finished picture onto a target through an anti-aliased rounded
// rectangle, leaving the target's own pixels outside the corners. GDI+ is
// started on first use and left running for the life of the process. UI
// thread only.
#include <windows.h>
#include "DuiLib/Render/ImageBitmap.h"

namespace DuiLib {

class CRoundClip {
public:
    // picture is dest-sized; radii are the corner ellipses' half axes.
    static void Paint(HDC target, const RECT& dest, const CImageBitmap& picture, SIZE radii);
};

} // namespace DuiLib
