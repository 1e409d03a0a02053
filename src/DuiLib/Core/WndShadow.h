#pragma once
// The drop shadow drawn around a skinned window by a layered window of its
// own that follows its parent. UI thread only; owned by the window it
// shadows.
#include <windows.h>

namespace DuiLib {

class CWndShadow {
public:
    // Once per process; false turns shadows off.
    static bool Initialize(HINSTANCE instance);
    // Hooks the parent's window procedure; nullptr when shadows are off.
    HWND Create(HWND parent);
    ~CWndShadow();
};

} // namespace DuiLib
