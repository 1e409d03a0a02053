#include "DuiLib/Core/TabOrder.h"
#include <cwctype>
#include <vector>
#include "DuiLib/Control/ControlUI.h"
#include "DuiLib/Core/ControlEvent.h"

namespace DuiLib {

namespace {

struct Walk {
    CControlUI* focus;
    std::vector<CControlUI*> stops;
    size_t before = 0;   // tab stops seen before the focus
    bool seen = false;   // the focus was met
};

CControlUI* Collect(CControlUI* control, void* data)
{
    Walk& walk = *static_cast<Walk*>(data);
    if (control == walk.focus) {
        walk.seen = true;
        walk.before = walk.stops.size();
    }
    if (control->GetControlFlags() & UIFLAG_TABSTOP)
        walk.stops.push_back(control);
    return nullptr; // visit every control
}

CControlUI* MatchShortcut(CControlUI* control, void* data)
{
    wchar_t key = *static_cast<wchar_t*>(data);
    return control->GetShortcut() && static_cast<wchar_t>(std::towupper(control->GetShortcut())) == key ? control
                                                                                                        : nullptr;
}

} // namespace

CControlUI* CTabOrder::Next(CControlUI* root, CControlUI* focus, bool forward)
{
    if (!root)
        return nullptr;
    Walk walk{focus, {}};
    root->FindControl(&Collect, &walk, UIFIND_VISIBLE | UIFIND_ENABLED | UIFIND_ME_FIRST);
    if (walk.stops.empty())
        return nullptr;
    if (!walk.seen)
        return forward ? walk.stops.front() : walk.stops.back();
    if (forward) {
        size_t after = walk.before + (walk.before < walk.stops.size() && walk.stops[walk.before] == focus ? 1 : 0);
        return after < walk.stops.size() ? walk.stops[after] : walk.stops.front();
    }
    return walk.before > 0 ? walk.stops[walk.before - 1] : walk.stops.back();
}

CControlUI* CTabOrder::Shortcut(CControlUI* root, wchar_t upper)
{
    if (!root)
        return nullptr;
    return root->FindControl(&MatchShortcut, &upper, UIFIND_ENABLED | UIFIND_ME_FIRST | UIFIND_TOP_FIRST);
}

} // namespace DuiLib
