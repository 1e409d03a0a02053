#include "DuiLib/Host/TabOrder.h"
#include <algorithm>
#include <cwctype>
#include <limits>
#include <vector>
#include "DuiLib/Control/ControlUI.h"
#include "DuiLib/Core/ControlEvent.h"

namespace DuiLib {

namespace {

struct Walk {
    CControlUI* focus;
    std::vector<CControlUI*> stops;
    size_t before = 0;   // tab stops seen before the focus, in tree order
    bool seen = false;   // the focus was met
};

CControlUI* Collect(Walk& walk, CControlUI* control)
{
    if (control == walk.focus) {
        walk.seen = true;
        walk.before = walk.stops.size();
    }
    if (control->GetControlFlags() & UIFLAG_TABSTOP)
        walk.stops.push_back(control);
    return nullptr; // visit every control
}

int OrderKey(const CControlUI* control)
{
    return control->GetTabIndex() > 0 ? control->GetTabIndex() : std::numeric_limits<int>::max();
}

CControlUI* MatchShortcut(CControlUI* control, wchar_t key)
{
    return control->GetShortcut() && static_cast<wchar_t>(std::towupper(control->GetShortcut())) == key ? control
                                                                                                        : nullptr;
}

} // namespace

// A focus that is no tab stop (a page that took it) counts by its place in
// the tree: forward goes to the first stop in order that comes after it
// there, backward to the last one before it.
CControlUI* CTabOrder::Next(CControlUI* root, CControlUI* focus, bool forward)
{
    if (!root)
        return nullptr;
    Walk walk{focus, {}};
    root->FindControl([&walk](CControlUI* control) { return Collect(walk, control); },
                      UIFIND_VISIBLE | UIFIND_ENABLED | UIFIND_ME_FIRST);
    if (walk.stops.empty())
        return nullptr;
    std::vector<size_t> order(walk.stops.size()); // tree positions in tab order
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return OrderKey(walk.stops[a]) < OrderKey(walk.stops[b]); });
    const size_t count = order.size();
    auto at = [&](size_t i) { return walk.stops[order[i % count]]; };
    if (!walk.seen)
        return forward ? at(0) : at(count - 1);
    auto here = std::find(order.begin(), order.end(), walk.before);
    if (here != order.end() && walk.stops[walk.before] == focus) {
        size_t i = static_cast<size_t>(here - order.begin());
        return forward ? at(i + 1) : at(i + count - 1);
    }
    if (forward) {
        auto after = std::find_if(order.begin(), order.end(), [&](size_t p) { return p >= walk.before; });
        return after != order.end() ? walk.stops[*after] : at(0);
    }
    auto before = std::find_if(order.rbegin(), order.rend(), [&](size_t p) { return p < walk.before; });
    return before != order.rend() ? walk.stops[*before] : at(count - 1);
}

CControlUI* CTabOrder::Shortcut(CControlUI* root, wchar_t upper)
{
    if (!root)
        return nullptr;
    return root->FindControl([upper](CControlUI* control) { return MatchShortcut(control, upper); },
                             UIFIND_ENABLED | UIFIND_ME_FIRST | UIFIND_TOP_FIRST);
}

} // namespace DuiLib
