#include "DuiLib/Render/LayeredPush.h"

namespace DuiLib {

bool CLayeredPush::Push(UpdateFn update, HWND window, HDC source, POINT at, SIZE size)
{
    if (!update)
        return false;
    POINT origin = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    return update(window, nullptr, &at, &size, source, &origin, 0, &blend, ULW_ALPHA) != FALSE;
}

} // namespace DuiLib
