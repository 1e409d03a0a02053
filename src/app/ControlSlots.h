#pragma once
// The controls a window keeps pointers to, as one table per window: each row
// names a control of the skin and the member it lands in, cast to that
// member's type (null when the skin has no such control or it is of another
// kind). UI thread only, from the window's InitWindow, once its tree exists.
#include <cstddef>
#include "DuiLib/Host/WindowManagerUI.h"

template <class Owner>
struct TControlSlot {
    const wchar_t* name;
    void (*store)(Owner& owner, DuiLib::CControlUI* control);
};

template <auto Member>
struct ControlMember;

template <class O, class T, T* O::*Member>
struct ControlMember<Member> {
    using Owner = O;
    static void Store(Owner& owner, DuiLib::CControlUI* control) { owner.*Member = dynamic_cast<T*>(control); }
};

template <auto Member>
constexpr TControlSlot<typename ControlMember<Member>::Owner> Slot(const wchar_t* name)
{
    return {name, &ControlMember<Member>::Store};
}

template <class Owner, size_t N>
void LookUpControls(DuiLib::CWindowManagerUI& pm, Owner& owner, const TControlSlot<Owner> (&slots)[N])
{
    for (const TControlSlot<Owner>& slot : slots)
        slot.store(owner, pm.FindControl(slot.name));
}
