#include "DuiLib/Host/HitTestRule.h"
#include <cwchar>
#include "DuiLib/Control/ControlUI.h"

namespace DuiLib {

namespace {

// Sizing borders by band (top, middle, bottom) and column (left, middle, right).
constexpr LRESULT kBorders[3][3] = {
    {HTTOPLEFT, HTTOP, HTTOPRIGHT},
    {HTLEFT, HTCLIENT, HTRIGHT},
    {HTBOTTOMLEFT, HTBOTTOM, HTBOTTOMRIGHT},
};

} // namespace

LRESULT CHitTestRule::SizingArea(POINT pt, const RECT& client, const RECT& sizeBox, SIZE grip)
{
    if (grip.cx >= 1 && grip.cy >= 1 && pt.x >= client.right - grip.cx && pt.y >= client.bottom - grip.cy)
        return HTBOTTOMRIGHT;
    int column = pt.x < client.left + sizeBox.left ? 0 : (pt.x > client.right - sizeBox.right ? 2 : 1);
    // The bottom band begins below C.bottom - b: that line itself is still the middle.
    int band = pt.y < client.top + sizeBox.top ? 0 : (pt.y <= client.bottom - sizeBox.bottom ? 1 : 2);
    return kBorders[band][column];
}

bool CHitTestRule::InCaption(POINT pt, const RECT& client, const RECT& caption)
{
    return pt.x >= client.left + caption.left && pt.x < client.right - caption.right && pt.y >= caption.top &&
           pt.y < caption.bottom;
}

bool CHitTestRule::IsCaptionClass(const wchar_t* className)
{
    static const wchar_t* const kClasses[] = {L"VerticalLayoutUI", L"HorizontalLayoutUI", L"TileLayoutUI",
                                              L"TabLayoutUI",      L"ChildLayoutUI",      L"ControlUI",
                                              L"ContainerUI",      L"ProgressUI",         L"LabelUI"};
    for (const wchar_t* name : kClasses)
        if (_wcsicmp(className, name) == 0)
            return true;
    return false;
}

bool CHitTestRule::DragsWindow(const CControlUI* hit)
{
    if (!hit)
        return false;
    for (const CControlUI* c = hit; c; c = c->GetParent())
        if (!IsCaptionClass(c->GetClass()))
            return false;
    return true;
}

} // namespace DuiLib
