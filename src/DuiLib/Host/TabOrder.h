#pragma once
// The keyboard's way through a control tree: the visible, enabled controls
// that carry the tab-stop flag, by their tab index, then in tree order
// (containers before their children). Works on
// the tree alone; the manager moves the focus. UI thread only.

namespace DuiLib {

class CControlUI;

class CTabOrder {
public:
    // Forward: the first tab stop after `focus`, wrapping to the first of
    // the tree. Backward: the last one before it, wrapping to the last.
    // Nothing when the tree has no tab stop.
    static CControlUI* Next(CControlUI* root, CControlUI* focus, bool forward);
    // The first enabled control (top first, container before children)
    // whose shortcut is the given upper-case character.
    static CControlUI* Shortcut(CControlUI* root, wchar_t upper);
};

} // namespace DuiLib
