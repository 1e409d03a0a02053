#include "DuiLib/Host/AccessibleItem.h"
#include <oleacc.h>
#include "DuiLib/Control/ControlUI.h"
#include "DuiLib/Control/OptionUI.h"
#include "DuiLib/Control/ProgressUI.h"
#include "DuiLib/Core/ControlEvent.h"

namespace DuiLib {

namespace {

struct TKindInfo {
    EAccessKind kind;
    const wchar_t* interfaceName; // the control class's GetInterface name
    long role;
};

// Most specific first: an option is a button, an edit and a bar are labels.
constexpr TKindInfo kKinds[] = {
    {EAccessKind::CheckBox, L"Option", ROLE_SYSTEM_CHECKBUTTON},
    {EAccessKind::Button, L"Button", ROLE_SYSTEM_PUSHBUTTON},
    {EAccessKind::Edit, L"Edit", ROLE_SYSTEM_TEXT},
    {EAccessKind::Progress, L"Progress", ROLE_SYSTEM_PROGRESSBAR},
    {EAccessKind::Text, L"Label", ROLE_SYSTEM_STATICTEXT},
    {EAccessKind::Link, nullptr, ROLE_SYSTEM_LINK},
};

const TKindInfo* InfoOf(EAccessKind kind)
{
    for (const TKindInfo& info : kKinds)
        if (info.kind == kind)
            return &info;
    return nullptr;
}

} // namespace

TControlFacts CAccessibleItem::FactsOf(const CControlUI& control)
{
    auto& c = const_cast<CControlUI&>(control); // GetInterface is not const
    TControlFacts facts;
    for (const TKindInfo& info : kKinds)
        if (info.interfaceName && c.GetInterface(info.interfaceName)) {
            facts.kind = info.kind;
            break;
        }
    if (facts.kind == EAccessKind::Button && control.GetAccessibleRole() == L"link")
        facts.kind = EAccessKind::Link;
    facts.text = control.GetText();
    facts.accessibleName = control.GetAccessibleName();
    facts.toolTip = control.GetToolTip();
    facts.visible = control.IsVisible();
    facts.enabled = control.IsEnabled();
    facts.focused = control.IsFocused();
    facts.focusable = facts.enabled && (control.GetControlFlags() & UIFLAG_TABSTOP);
    if (auto* option = static_cast<COptionUI*>(c.GetInterface(L"Option")))
        facts.checked = option->IsSelected();
    if (auto* bar = static_cast<CProgressUI*>(c.GetInterface(L"Progress"))) {
        facts.value = bar->GetValue();
        facts.minValue = bar->GetMinValue();
        facts.maxValue = bar->GetMaxValue();
    }
    return facts;
}

// The name is the words the reader says for the control: those the skin
// wrote for it, else its text, else its tooltip.
TAccessibleItem CAccessibleItem::Describe(const TControlFacts& facts)
{
    TAccessibleItem item;
    const TKindInfo* info = InfoOf(facts.kind);
    item.role = info ? info->role : ROLE_SYSTEM_CLIENT;
    item.name = !facts.accessibleName.empty() ? facts.accessibleName
                                               : (!facts.text.empty() ? facts.text : facts.toolTip);
    const struct {
        bool holds;
        long bit;
    } states[] = {
        {facts.focused, STATE_SYSTEM_FOCUSED},
        {facts.focusable, STATE_SYSTEM_FOCUSABLE},
        {facts.checked && facts.kind == EAccessKind::CheckBox, STATE_SYSTEM_CHECKED},
        {!facts.enabled, STATE_SYSTEM_UNAVAILABLE},
        {!facts.visible, STATE_SYSTEM_INVISIBLE},
        {facts.kind == EAccessKind::Link, STATE_SYSTEM_LINKED},
        {facts.kind == EAccessKind::Text || facts.kind == EAccessKind::Progress, STATE_SYSTEM_READONLY},
    };
    for (const auto& s : states)
        if (s.holds)
            item.state |= s.bit;
    switch (facts.kind) {
    case EAccessKind::Button:
        item.defaultAction = L"按下";
        break;
    case EAccessKind::CheckBox:
        item.defaultAction = facts.checked ? L"取消选中" : L"选中";
        break;
    case EAccessKind::Link:
        item.defaultAction = L"跳转";
        break;
    case EAccessKind::Edit:
        item.value = facts.text;
        break;
    case EAccessKind::Progress:
        item.value = std::to_wstring(CProgressUI::Percent(facts.value, facts.minValue, facts.maxValue)) + L"%";
        break;
    default:
        break;
    }
    // An unavailable control does nothing when pressed: it offers no action.
    if (!facts.enabled)
        item.defaultAction.clear();
    return item;
}

std::vector<CControlUI*> CAccessibleItem::Children(CControlUI* root)
{
    std::vector<CControlUI*> children;
    if (root)
        root->FindControl(
            [&children](CControlUI* control) {
                if (FactsOf(*control).kind != EAccessKind::None)
                    children.push_back(control);
                return nullptr; // visit every control
            },
            UIFIND_VISIBLE | UIFIND_ME_FIRST);
    return children;
}

long CAccessibleItem::Navigate(long count, long from, long dir)
{
    long to = 0;
    switch (dir) {
    case NAVDIR_FIRSTCHILD:
        to = from == CHILDID_SELF ? 1 : 0;
        break;
    case NAVDIR_LASTCHILD:
        to = from == CHILDID_SELF ? count : 0;
        break;
    case NAVDIR_NEXT:
        to = from == CHILDID_SELF ? 0 : from + 1;
        break;
    case NAVDIR_PREVIOUS:
        to = from == CHILDID_SELF ? 0 : from - 1;
        break;
    default:
        break;
    }
    return to >= 1 && to <= count ? to : 0;
}

} // namespace DuiLib
