#pragma once
// What a screen reader is told of a window's controls: which controls it
// sees (the visible ones that have a role, in tree order, numbered from 1),
// and each one's name, role, states, value and default action, worked out
// from plain facts about the control. No platform call and no window: the
// accessible object (CAccessibleWindow) asks here and answers the reader.
// UI thread only, as the controls it reads.
#include <windows.h>
#include <string>
#include <vector>

namespace DuiLib {

class CControlUI;

// The kinds of control a reader tells apart.
enum class EAccessKind { None, Button, CheckBox, Link, Edit, Progress, Text };

struct TControlFacts {
    EAccessKind kind = EAccessKind::None;
    std::wstring text, accessibleName, toolTip;
    bool visible = true, enabled = true, focused = false, focusable = false, checked = false;
    int value = 0, minValue = 0, maxValue = 100; // a progress bar's
};

struct TAccessibleItem {
    long role = 0;       // ROLE_SYSTEM_...
    long state = 0;      // STATE_SYSTEM_... bits
    std::wstring name, value, defaultAction;
};

class CAccessibleItem {
public:
    // The facts of a control: its class decides the kind, an "accrole" of
    // "link" makes a button a link.
    static TControlFacts FactsOf(const CControlUI& control);
    static TAccessibleItem Describe(const TControlFacts& facts);
    // The controls a reader sees under root, in tree order; child id n is
    // the (n-1)th of them.
    static std::vector<CControlUI*> Children(CControlUI* root);
    // The child id a move from child id `from` (0: the window itself) in
    // NAVDIR_ direction `dir` reaches among `count` children, or 0 when it
    // leads nowhere. Only the order of the children is known here: the
    // spatial directions lead nowhere.
    static long Navigate(long count, long from, long dir);
};

} // namespace DuiLib
