#include "DuiLib/Host/AccessibleWindow.h"
#include <algorithm>
#include <string>
#include <vector>
#include "DuiLib/Control/ControlUI.h"
#include "DuiLib/Host/AccessibleItem.h"
#include "DuiLib/Host/WindowManagerUI.h"
#include "Runtime/CallbackGuard.h"
#include "Runtime/SystemLibrary.h"

namespace DuiLib {

namespace {

HRESULT Text(const std::wstring& text, BSTR* out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (text.empty())
        return S_FALSE;
    *out = SysAllocString(text.c_str());
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT Long(long value, VARIANT* out)
{
    if (!out)
        return E_POINTER;
    VariantInit(out);
    out->vt = VT_I4;
    out->lVal = value;
    return S_OK;
}

HRESULT Nothing(VARIANT* out)
{
    if (!out)
        return E_POINTER;
    VariantInit(out);
    return S_FALSE;
}

long ChildId(const std::vector<CControlUI*>& children, CControlUI* control)
{
    auto it = std::find(children.begin(), children.end(), control);
    return it == children.end() ? CHILDID_SELF : static_cast<long>(it - children.begin()) + 1;
}

// The window itself is the client area under the window's title; a control
// is described from its facts, focused only while the window has the focus
// and invisible while the window is hidden or minimised.
TAccessibleItem ItemOf(CControlUI* control, HWND window, bool windowFocused)
{
    const bool shown = IsWindowVisible(window) && !IsIconic(window);
    if (!control) {
        TAccessibleItem item;
        item.role = ROLE_SYSTEM_CLIENT;
        wchar_t title[256] = {};
        GetWindowTextW(window, title, 256);
        item.name = title;
        item.state = STATE_SYSTEM_FOCUSABLE | (windowFocused ? STATE_SYSTEM_FOCUSED : 0) |
                     (shown ? 0 : STATE_SYSTEM_INVISIBLE);
        return item;
    }
    TControlFacts facts = CAccessibleItem::FactsOf(*control);
    facts.focused = facts.focused && windowFocused;
    facts.visible = facts.visible && shown;
    return CAccessibleItem::Describe(facts);
}

// A reader's call is a callback: nothing it throws may reach COM.
template <class Body>
HRESULT Guarded(Body&& body) noexcept
{
    return CCallbackGuard::Run(L"accessible object", body, [] { return E_FAIL; });
}

} // namespace

HRESULT CAccessibleWindow::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(riid, __uuidof(IUnknown)) && !IsEqualIID(riid, __uuidof(IDispatch)) &&
        !IsEqualIID(riid, __uuidof(IAccessible)))
        return E_NOINTERFACE;
    *object = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
}

ULONG CAccessibleWindow::Release()
{
    const ULONG left = --m_refs;
    if (left == 0)
        delete this;
    return left;
}

HRESULT CAccessibleWindow::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HWND CAccessibleWindow::Window() const { return m_manager ? m_manager->GetPaintWindow() : nullptr; }

bool CAccessibleWindow::HasFocus() const
{
    HWND focus = ::GetFocus();
    return focus && (focus == Window() || IsChild(Window(), focus));
}

HRESULT CAccessibleWindow::Resolve(const VARIANT& child, CControlUI*& control) const
{
    control = nullptr;
    if (!m_manager || !Window())
        return RPC_E_DISCONNECTED;
    if (child.vt != VT_I4)
        return E_INVALIDARG;
    if (child.lVal == CHILDID_SELF)
        return S_OK;
    std::vector<CControlUI*> children = CAccessibleItem::Children(m_manager->GetRoot());
    if (child.lVal < 1 || static_cast<size_t>(child.lVal) > children.size())
        return E_INVALIDARG;
    control = children[static_cast<size_t>(child.lVal) - 1];
    return S_OK;
}

HRESULT CAccessibleWindow::get_accParent(IDispatch** parent)
{
    return Guarded([&]() -> HRESULT {
        if (!parent)
            return E_POINTER;
        *parent = nullptr;
        if (!Window())
            return RPC_E_DISCONNECTED;
        using FromWindow = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
        auto fromWindow = CSystemLibrary::Find<FromWindow>(L"oleacc.dll", "AccessibleObjectFromWindow");
        if (!fromWindow)
            return S_FALSE;
        return fromWindow(Window(), static_cast<DWORD>(OBJID_WINDOW), __uuidof(IDispatch),
                          reinterpret_cast<void**>(parent));
    });
}

HRESULT CAccessibleWindow::get_accChildCount(long* count)
{
    return Guarded([&]() -> HRESULT {
        if (!count)
            return E_POINTER;
        *count = 0;
        if (!m_manager)
            return RPC_E_DISCONNECTED;
        *count = static_cast<long>(CAccessibleItem::Children(m_manager->GetRoot()).size());
        return S_OK;
    });
}

// Every child is a simple element: nothing of its own to hand out.
HRESULT CAccessibleWindow::get_accChild(VARIANT child, IDispatch** object)
{
    return Guarded([&]() -> HRESULT {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        CControlUI* control = nullptr;
        HRESULT hr = Resolve(child, control);
        return FAILED(hr) ? hr : (control ? S_FALSE : E_INVALIDARG);
    });
}

HRESULT CAccessibleWindow::get_accName(VARIANT child, BSTR* name)
{
    return Guarded([&]() -> HRESULT {
        CControlUI* control = nullptr;
        HRESULT hr = Resolve(child, control);
        if (name)
            *name = nullptr;
        return FAILED(hr) ? hr : Text(ItemOf(control, Window(), HasFocus()).name, name);
    });
}

HRESULT CAccessibleWindow::get_accValue(VARIANT child, BSTR* value)
{
    return Guarded([&]() -> HRESULT {
        CControlUI* control = nullptr;
        HRESULT hr = Resolve(child, control);
        if (value)
            *value = nullptr;
        return FAILED(hr) ? hr : Text(ItemOf(control, Window(), HasFocus()).value, value);
    });
}

HRESULT CAccessibleWindow::get_accDescription(VARIANT child, BSTR* text)
{
    return Guarded([&]() -> HRESULT {
        CControlUI* control = nullptr;
        HRESULT hr = Resolve(child, control);
        if (text)
            *text = nullptr;
        return FAILED(hr) ? hr : Text(L"", text);
    });
}

HRESULT CAccessibleWindow::get_accRole(VARIANT child, VARIANT* role)
{
    return Guarded([&]() -> HRESULT {
        CControlUI* control = nullptr;
        HRESULT hr = Resolve(child, control);
        if (role)
            VariantInit(role);
        return FAILED(hr) ? hr : Long(ItemOf(control, Window(), HasFocus()).role, role);
    });
}

HRESULT CAccessibleWindow::get_accState(VARIANT child, VARIANT* state)
{
    return Guarded([&]() -> HRESULT {
        CControlUI* control = nullptr;
        HRESULT hr = Resolve(child, control);
        if (state)
            VariantInit(state);
        if (FAILED(hr))
            return hr;
        TAccessibleItem item = ItemOf(control, Window(), HasFocus());
        // The window is focused itself only while no child holds the focus.
        if (!control && ChildId(CAccessibleItem::Children(m_manager->GetRoot()), m_manager->GetFocus()) != CHILDID_SELF)
            item.state &= ~STATE_SYSTEM_FOCUSED;
        return Long(item.state, state);
    });
}

HRESULT CAccessibleWindow::get_accHelp(VARIANT child, BSTR* text) { return get_accDescription(child, text); }

HRESULT CAccessibleWindow::get_accHelpTopic(BSTR* file, VARIANT, long* topic)
{
    return Guarded([&]() -> HRESULT {
        if (file)
            *file = nullptr;
        if (topic)
            *topic = 0;
        return m_manager ? S_FALSE : RPC_E_DISCONNECTED;
    });
}

HRESULT CAccessibleWindow::get_accKeyboardShortcut(VARIANT child, BSTR* text)
{
    return get_accDescription(child, text);
}

HRESULT CAccessibleWindow::get_accFocus(VARIANT* focus)
{
    return Guarded([&]() -> HRESULT {
        if (!m_manager)
            return RPC_E_DISCONNECTED;
        if (!HasFocus())
            return Nothing(focus);
        return Long(ChildId(CAccessibleItem::Children(m_manager->GetRoot()), m_manager->GetFocus()), focus);
    });
}

HRESULT CAccessibleWindow::get_accSelection(VARIANT* selection)
{
    return Guarded([&]() -> HRESULT {
        return m_manager ? Nothing(selection) : RPC_E_DISCONNECTED;
    });
}

HRESULT CAccessibleWindow::get_accDefaultAction(VARIANT child, BSTR* action)
{
    return Guarded([&]() -> HRESULT {
        CControlUI* control = nullptr;
        HRESULT hr = Resolve(child, control);
        if (action)
            *action = nullptr;
        return FAILED(hr) ? hr : Text(ItemOf(control, Window(), HasFocus()).defaultAction, action);
    });
}

HRESULT CAccessibleWindow::accSelect(long flags, VARIANT child)
{
    return Guarded([&]() -> HRESULT {
        CControlUI* control = nullptr;
        HRESULT hr = Resolve(child, control);
        if (FAILED(hr))
            return hr;
        if (flags != SELFLAG_TAKEFOCUS)
            return E_INVALIDARG;
        // Only what Tab could reach may take the focus: not a text, not a bar.
        if (control && !(ItemOf(control, Window(), HasFocus()).state & STATE_SYSTEM_FOCUSABLE))
            return E_INVALIDARG;
        if (!control)
            ::SetFocus(Window());
        else
            control->SetFocus();
        return S_OK;
    });
}

HRESULT CAccessibleWindow::accLocation(long* left, long* top, long* width, long* height, VARIANT child)
{
    return Guarded([&]() -> HRESULT {
        if (!left || !top || !width || !height)
            return E_POINTER;
        CControlUI* control = nullptr;
        HRESULT hr = Resolve(child, control);
        if (FAILED(hr))
            return hr;
        RECT rc;
        if (control)
            rc = control->GetPos();
        else
            GetClientRect(Window(), &rc);
        MapWindowPoints(Window(), nullptr, reinterpret_cast<POINT*>(&rc), 2);
        *left = rc.left;
        *top = rc.top;
        *width = rc.right - rc.left;
        *height = rc.bottom - rc.top;
        return S_OK;
    });
}

HRESULT CAccessibleWindow::accNavigate(long dir, VARIANT start, VARIANT* end)
{
    return Guarded([&]() -> HRESULT {
        CControlUI* control = nullptr;
        HRESULT hr = Resolve(start, control);
        if (end)
            VariantInit(end);
        if (FAILED(hr))
            return hr;
        long count = static_cast<long>(CAccessibleItem::Children(m_manager->GetRoot()).size());
        long to = CAccessibleItem::Navigate(count, start.lVal, dir);
        return to ? Long(to, end) : Nothing(end);
    });
}

// The control under the point, or the nearest of its containers that a
// reader sees; the window itself where none is.
HRESULT CAccessibleWindow::accHitTest(long x, long y, VARIANT* child)
{
    return Guarded([&]() -> HRESULT {
        if (!m_manager || !Window())
            return RPC_E_DISCONNECTED;
        POINT pt = {x, y};
        ScreenToClient(Window(), &pt);
        RECT client;
        GetClientRect(Window(), &client);
        if (!PtInRect(&client, pt))
            return Nothing(child);
        std::vector<CControlUI*> children = CAccessibleItem::Children(m_manager->GetRoot());
        for (CControlUI* hit = m_manager->FindControl(pt); hit; hit = hit->GetParent())
            if (long id = ChildId(children, hit))
                return Long(id, child);
        return Long(CHILDID_SELF, child);
    });
}

// Not done here: the action may open a modal question, which would hold the
// reader's call. The host posts it to the window, where it is a click.
HRESULT CAccessibleWindow::accDoDefaultAction(VARIANT child)
{
    return Guarded([&]() -> HRESULT {
        CControlUI* control = nullptr;
        HRESULT hr = Resolve(child, control);
        if (FAILED(hr))
            return hr;
        if (!control || ItemOf(control, Window(), HasFocus()).defaultAction.empty())
            return DISP_E_MEMBERNOTFOUND;
        return m_manager->Accessible().PostAction(control) ? S_OK : E_FAIL;
    });
}

} // namespace DuiLib
