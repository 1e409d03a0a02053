#pragma once
// Where a skinned window without a native frame is dragged or resized:
// decisions on plain values, in client coordinates, so they can be checked
// without a window. The whole window is client area.
#include <windows.h>

namespace DuiLib {

class CControlUI;

class CHitTestRule {
public:
    // The sizing border or grip under the point, or HTCLIENT when none.
    static LRESULT SizingArea(POINT pt, const RECT& client, const RECT& sizeBox, SIZE grip);
    // The caption rectangle is (left inset, top, right inset, bottom).
    static bool InCaption(POINT pt, const RECT& client, const RECT& caption);
    // Only plain layouts and passive controls drag the window; the class
    // names are compared without regard to case.
    static bool IsCaptionClass(const wchar_t* className);
    // The control under the point and every ancestor are caption classes.
    static bool DragsWindow(const CControlUI* hit);
};

} // namespace DuiLib
