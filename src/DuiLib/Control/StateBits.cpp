#include "DuiLib/Control/StateBits.h"
#include "DuiLib/Control/ControlUI.h"

namespace DuiLib {

namespace {

UINT Switch(UINT state, UINT bit, bool on) { return on ? state | bit : state & ~bit; }

} // namespace

void CStateBits::TrackHot(UINT& state, CControlUI& control, bool entered)
{
    if (!control.IsEnabled())
        return;
    state = Switch(state, UISTATE_HOT, entered);
    control.Invalidate();
}

void CStateBits::Refresh(UINT& state, const CControlUI& control)
{
    state = Switch(state, UISTATE_FOCUSED, control.IsFocused());
    state = Switch(state, UISTATE_DISABLED, !control.IsEnabled());
}

void CStateBits::AfterEnable(UINT& state, const CControlUI& control)
{
    if (!control.IsEnabled())
        state &= UISTATE_SELECTED;
}

} // namespace DuiLib
