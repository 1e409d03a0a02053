#pragma once
// The images the clickable and editable controls show per state. A state
// whose image is empty shows the normal image. Held by value by the
// control that uses it; UI thread only.
#include <windows.h>
#include <initializer_list>
#include <string>
#include <string_view>
#include "DuiLib/Control/StateBits.h"

namespace DuiLib {

class CStateImages {
public:
    // The field behind an image attribute ("normalimage", "hotimage",
    // "pushedimage", "focusedimage", "disabledimage"), or nullptr.
    std::wstring* Field(std::wstring_view attribute);
    // The first bit of `order` that is set in `state`, or 0.
    static UINT FirstState(UINT state, std::initializer_list<UINT> order);
    // The image of one state bit, or the normal image when it has none.
    const std::wstring& Image(UINT stateBit) const;
    bool Has(UINT stateBit) const { return !Own(stateBit).empty(); }

private:
    const std::wstring& Own(UINT stateBit) const;

    std::wstring m_normal, m_hot, m_pushed, m_focused, m_disabled;
};

} // namespace DuiLib
