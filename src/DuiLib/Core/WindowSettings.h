#pragma once
// The window-level settings of a skin, read from the attributes of its
// markup's Window element. A plain value, held by the window's manager.
#include <windows.h>
#include <cstdint>
#include <string>

namespace DuiLib {

// Window-level settings read from the markup's Window element.
struct TWindowSettings {
    RECT sizeBox = {0, 0, 0, 0};
    RECT caption = {0, 0, 0, 0};
    SIZE roundCorner = {0, 0};
    SIZE shadowCorner = {0, 0};
    SIZE minInfo = {0, 0};
    SIZE maxInfo = {0, 0};
    SIZE sizeGrip = {0, 0};
    bool showDirty = false;
    int alpha = 255;
    bool bkTrans = false;
    bool shadow = false;
    bool selfShadow = false;
    RECT shadowBorder = {0, 0, 0, 0};
    std::wstring shadowImage;
    uint32_t disabledFontColor = 0, defaultFontColor = 0, linkFontColor = 0, linkHoverFontColor = 0,
             selectedColor = 0;
    // The keyboard focus mark's colour; none is drawn while it is 0.
    uint32_t accentColor = 0;

    // Takes one attribute of the Window element; false for a name that is
    // not a plain setting (such as size, which the manager applies itself).
    bool Set(const wchar_t* name, const wchar_t* value);
};

} // namespace DuiLib
