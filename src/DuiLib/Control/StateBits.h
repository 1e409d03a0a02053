#pragma once
// The state bits of the clickable and editable controls and the changes
// they share: hot follows the mouse, focused and disabled follow the
// control, and a disabled control drops what the mouse had set. The bits
// live in the control (a plain UINT); these only change them. UI thread
// only.
#include <windows.h>

namespace DuiLib {

class CControlUI;

constexpr UINT UISTATE_FOCUSED = 0x01;
constexpr UINT UISTATE_SELECTED = 0x02;
constexpr UINT UISTATE_DISABLED = 0x04;
constexpr UINT UISTATE_HOT = 0x08;
constexpr UINT UISTATE_PUSHED = 0x10;
constexpr UINT UISTATE_CAPTURED = 0x40;

class CStateBits {
public:
    // Mouse enter or leave: an enabled control sets or clears hot and
    // repaints; a disabled one keeps its bits.
    static void TrackHot(UINT& state, CControlUI& control, bool entered);
    // The focused and disabled bits as the control is now, before painting.
    static void Refresh(UINT& state, const CControlUI& control);
    // After enabling changed: a disabled control is neither hot, pushed nor
    // captured any more, but an option stays selected.
    static void AfterEnable(UINT& state, const CControlUI& control);
};

} // namespace DuiLib
