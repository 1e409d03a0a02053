#include "DuiLib/Layout/ContainerUI.h"
#include <algorithm>
#include <cwchar>
#include "DuiLib/Core/AttributeValue.h"
#include "DuiLib/Control/ControlHost.h"
#include "DuiLib/Render/ClipScope.h"

namespace DuiLib {

CContainerUI::~CContainerUI()
{
    if (m_autoDestroy)
        for (CControlUI* child : m_items)
            delete child;
}

void* CContainerUI::GetInterface(const wchar_t* name)
{
    if (wcscmp(name, L"IContainer") == 0)
        return static_cast<IContainerUI*>(this);
    if (wcscmp(name, L"Container") == 0)
        return static_cast<CContainerUI*>(this);
    return CControlUI::GetInterface(name);
}

CControlUI* CContainerUI::GetItemAt(int index) const
{
    return index >= 0 && index < GetCount() ? m_items[static_cast<size_t>(index)] : nullptr;
}

int CContainerUI::GetItemIndex(CControlUI* control) const
{
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i] == control)
            return static_cast<int>(i);
    return -1;
}

bool CContainerUI::SetItemIndex(CControlUI* control, int index)
{
    int from = GetItemIndex(control);
    if (from < 0 || index < 0 || index >= GetCount())
        return false;
    m_items.erase(m_items.begin() + from);
    m_items.insert(m_items.begin() + index, control);
    NeedUpdate();
    return true;
}

void CContainerUI::Adopt(CControlUI* control)
{
    if (m_manager)
        m_manager->InitControls(control, this);
    if (IsVisible())
        NeedUpdate();
    else
        control->SetInternVisible(false);
}

bool CContainerUI::Add(CControlUI* control)
{
    if (!control)
        return false;
    Adopt(control);
    m_items.push_back(control);
    return true;
}

bool CContainerUI::AddAt(CControlUI* control, int index)
{
    if (!control || index < 0 || index > GetCount())
        return false;
    Adopt(control);
    m_items.insert(m_items.begin() + index, control);
    return true;
}

void CContainerUI::Destroy(CControlUI* control)
{
    if (!m_autoDestroy)
        return;
    if (m_delayedDestroy && m_manager)
        m_manager->AddDelayedCleanup(control);
    else
        delete control;
}

bool CContainerUI::Remove(CControlUI* control) { return RemoveAt(GetItemIndex(control)); }

bool CContainerUI::RemoveAt(int index)
{
    CControlUI* control = GetItemAt(index);
    if (!control)
        return false;
    NeedUpdate();
    m_items.erase(m_items.begin() + index);
    Destroy(control);
    return true;
}

void CContainerUI::RemoveAll()
{
    std::vector<CControlUI*> items;
    items.swap(m_items);
    for (CControlUI* child : items)
        Destroy(child);
    NeedUpdate();
}

void CContainerUI::SetManager(IControlHost* manager, CControlUI* parent, bool init)
{
    for (CControlUI* child : m_items)
        child->SetManager(manager, this, init);
    CControlUI::SetManager(manager, parent, init);
}

void CContainerUI::SetVisible(bool visible)
{
    CControlUI::SetVisible(visible);
    for (CControlUI* child : m_items)
        child->SetInternVisible(IsVisible());
}

void CContainerUI::SetInternVisible(bool visible)
{
    CControlUI::SetInternVisible(visible);
    for (CControlUI* child : m_items)
        child->SetInternVisible(IsVisible());
}

RECT CContainerUI::ClientRect() const
{
    return {m_rcItem.left + m_rcInset.left, m_rcItem.top + m_rcInset.top, m_rcItem.right - m_rcInset.right,
            m_rcItem.bottom - m_rcInset.bottom};
}

void CContainerUI::SetPos(RECT rc)
{
    CControlUI::SetPos(rc);
    RECT client = ClientRect();
    for (size_t i = 0; i < m_items.size(); ++i) {
        CControlUI* child = m_items[i];
        if (!child->IsVisible())
            continue;
        if (child->IsFloat())
            SetFloatPos(static_cast<int>(i));
        else
            child->SetPos(client);
    }
}

namespace {

// One axis of a floating child: a negative offset anchors it to the far edge.
void PlaceFloatAxis(int offset, int size, long nearEdge, long farEdge, long& low, long& high)
{
    if (offset >= 0) {
        low = nearEdge + offset;
        high = low + size;
    } else {
        high = farEdge + offset;
        low = high - size;
    }
}

} // namespace

// Floating children are placed against the item rectangle, not the inset;
// a negative fixed x or y anchors that edge to the right or bottom.
void CContainerUI::SetFloatPos(int index)
{
    CControlUI* child = GetItemAt(index);
    if (!child || !child->IsVisible() || !child->IsFloat())
        return;
    SIZE xy = child->GetFixedXY();
    SIZE size = {child->GetFixedWidth(), child->GetFixedHeight()};
    const RECT& r = m_rcItem;
    RECT pos;
    PlaceFloatAxis(xy.cx, size.cx, r.left, r.right, pos.left, pos.right);
    PlaceFloatAxis(xy.cy, size.cy, r.top, r.bottom, pos.top, pos.bottom);
    const TRelativePos& relative = child->GetRelativePos();
    SIZE now = {r.right - r.left, r.bottom - r.top};
    if (relative.bRelative) {
        if (relative.szParent.cx != 0) {
            int ix = now.cx - relative.szParent.cx;
            int iy = now.cy - relative.szParent.cy;
            OffsetRect(&pos, ix * relative.nMoveXPercent / 100, iy * relative.nMoveYPercent / 100);
            pos.right += ix * relative.nZoomXPercent / 100;
            pos.bottom += iy * relative.nZoomYPercent / 100;
        }
        child->SetRelativeParentSize(now);
    }
    child->SetPos(pos);
}

namespace {

// One axis of a stacking layout: "main" runs along the stack, "cross"
// across it, so the vertical and the horizontal layout share one algorithm.
struct Axis {
    bool vertical;
    long& Main(SIZE& s) const { return vertical ? s.cy : s.cx; }
    long& Cross(SIZE& s) const { return vertical ? s.cx : s.cy; }
    long Start(const RECT& r) const { return vertical ? r.top : r.left; }
    long End(const RECT& r) const { return vertical ? r.bottom : r.right; }
    long CrossStart(const RECT& r) const { return vertical ? r.left : r.top; }
    long CrossEnd(const RECT& r) const { return vertical ? r.right : r.bottom; }
    int MinMain(const CControlUI* c) const { return vertical ? c->GetMinHeight() : c->GetMinWidth(); }
    int MaxMain(const CControlUI* c) const { return vertical ? c->GetMaxHeight() : c->GetMaxWidth(); }
    int MinCross(const CControlUI* c) const { return vertical ? c->GetMinWidth() : c->GetMinHeight(); }
    int MaxCross(const CControlUI* c) const { return vertical ? c->GetMaxWidth() : c->GetMaxHeight(); }
    int FixedCross(const CControlUI* c) const { return vertical ? c->GetFixedWidth() : c->GetFixedHeight(); }
    SIZE Make(long main, long cross) const { return vertical ? SIZE{cross, main} : SIZE{main, cross}; }
    RECT Place(long mainPos, long crossPos, long main, long cross) const
    {
        return vertical ? RECT{crossPos, mainPos, crossPos + cross, mainPos + main}
                        : RECT{mainPos, crossPos, mainPos + main, crossPos + cross};
    }
};

long Clamp(long v, long lo, long hi) { return v < lo ? lo : (v > hi ? hi : v); }

} // namespace

// 1. Measure: fixed children keep their (clamped) size plus padding; the
//    others are adjustable and share what is left equally.
// 2. Place in order; the last adjustable child takes the remainder, so
//    three children in 100 pixels get 33, 33 and 34.
void CContainerUI::StackItems(bool vertical)
{
    const Axis ax{vertical};
    RECT client = ClientRect();
    if (m_items.empty())
        return;
    SIZE available = {client.right - client.left, client.bottom - client.top};
    long fixedTotal = 0;
    int adjustable = 0, counted = 0;
    for (CControlUI* child : m_items) {
        if (!child->IsVisible() || child->IsFloat())
            continue;
        SIZE s = child->EstimateSize(available);
        const RECT& pad = child->GetPadding();
        long main = ax.Main(s);
        if (main == 0)
            ++adjustable;
        else
            main = Clamp(main, ax.MinMain(child), ax.MaxMain(child));
        fixedTotal += main + ax.Start(pad) + ax.End(pad);
        ++counted;
    }
    if (counted > 0)
        fixedTotal += m_childPadding * (counted - 1);
    long expand = adjustable ? std::max(0L, (ax.Main(available) - fixedTotal) / adjustable) : 0;

    long pos = ax.Start(client), crossPos = ax.CrossStart(client);
    long remaining = ax.Main(available), remainingFixed = fixedTotal;
    int adjusted = 0;
    for (size_t i = 0; i < m_items.size(); ++i) {
        CControlUI* child = m_items[i];
        if (!child->IsVisible())
            continue;
        if (child->IsFloat()) {
            SetFloatPos(static_cast<int>(i));
            continue;
        }
        const RECT& pad = child->GetPadding();
        remaining -= ax.Start(pad);
        SIZE s = child->EstimateSize(ax.Make(remaining, ax.Cross(available)));
        long main = ax.Main(s);
        if (main == 0) {
            ++adjusted;
            main = adjusted == adjustable ? std::max(0L, remaining - ax.End(pad) - remainingFixed) : expand;
            main = Clamp(main, ax.MinMain(child), ax.MaxMain(child));
        } else {
            main = Clamp(main, ax.MinMain(child), ax.MaxMain(child));
            remainingFixed -= main;
        }
        long cross = ax.FixedCross(child);
        if (cross == 0)
            cross = ax.Cross(available) - ax.CrossStart(pad) - ax.CrossEnd(pad);
        cross = Clamp(std::max(0L, cross), ax.MinCross(child), ax.MaxCross(child));
        child->SetPos(ax.Place(pos + ax.Start(pad), crossPos + ax.CrossStart(pad), main + ax.End(pad), cross));
        pos += main + m_childPadding + ax.Start(pad) + ax.End(pad);
        remaining -= main + m_childPadding + ax.End(pad);
    }
}

CControlUI* CContainerUI::FindInChildren(const FindControlProc& proc, UINT flags, POINT point)
{
    bool hitTest = (flags & UIFIND_HITTEST) != 0;
    if (hitTest && !m_mouseChildEnabled)
        return nullptr;
    RECT client = ClientRect();
    auto accept = [&](CControlUI* found) {
        return found && (!hitTest || found->IsFloat() || PtInRect(&client, point));
    };
    if (flags & UIFIND_TOP_FIRST) {
        for (auto it = m_items.rbegin(); it != m_items.rend(); ++it) {
            CControlUI* found = (*it)->FindControl(proc, flags, point);
            if (accept(found))
                return found;
        }
    } else {
        for (CControlUI* child : m_items) {
            CControlUI* found = child->FindControl(proc, flags, point);
            if (accept(found))
                return found;
        }
    }
    return nullptr;
}

CControlUI* CContainerUI::FindControl(const FindControlProc& proc, UINT flags, POINT point)
{
    if (!MatchesFind(flags, point))
        return nullptr;
    if (flags & UIFIND_ME_FIRST) {
        if (CControlUI* me = CControlUI::FindControl(proc, flags, point))
            return me;
    }
    if (CControlUI* found = FindInChildren(proc, flags, point))
        return found;
    return (flags & UIFIND_ME_FIRST) ? nullptr : CControlUI::FindControl(proc, flags, point);
}

void CContainerUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    RECT area;
    if (!IntersectRect(&area, &rcPaint, &m_rcItem))
        return;
    CClipScope itemClip(hDC, area);
    CControlUI::DoPaint(hDC, area);
    RECT client = ClientRect(), clientArea;
    if (!IntersectRect(&clientArea, &area, &client))
        return;
    CClipScope clientClip(hDC, clientArea);
    for (CControlUI* child : m_items) {
        // A floating child need only meet the item rectangle to be painted.
        const RECT& reach = child->IsFloat() ? area : clientArea;
        RECT childArea;
        if (child->IsVisible() && IntersectRect(&childArea, &reach, &child->GetPos()))
            child->DoPaint(hDC, clientArea);
    }
}

void CContainerUI::SetInset(RECT rc)
{
    m_rcInset = rc;
    NeedUpdate();
}

void CContainerUI::SetChildPadding(int padding)
{
    m_childPadding = padding;
    NeedUpdate();
}

void CContainerUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    if (wcscmp(name, L"inset") == 0)
        SetInset(CAttributeValue::Rect(value));
    else if (wcscmp(name, L"mousechild") == 0)
        SetMouseChildEnabled(CAttributeValue::Bool(value));
    else if (wcscmp(name, L"childpadding") == 0)
        SetChildPadding(CAttributeValue::Int(value));
    else
        CControlUI::SetAttribute(name, value);
}

} // namespace DuiLib
