// A screen reader's view of a window, from a process of its own, through
// oleacc as a reader gets it (AccessibleObjectFromWindow on the client area).
//   AccessibleProbe list TITLE          one line per child (and "0" for the
//                                        client): id|role|states|name|value|
//                                        action|hit|next, hit the child id a
//                                        hit test at its centre finds, next the
//                                        id NAVDIR_NEXT reaches
//   AccessibleProbe do TITLE NAME       the default action of the named child
//   AccessibleProbe events TITLE MS     the reader events of the window's
//                                        client area until it goes, for MS
//                                        milliseconds at most, a line each:
//                                        ms|event|child|value-or-name
// Output is UTF-8; the exit code is 0 when the window answered.
#include <windows.h>
#include <oleacc.h>
#include <cstdio>
#include <string>
#include <vector>

namespace {

void Print(const std::wstring& text)
{
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    fwrite(out.data(), 1, out.size(), stdout);
    fflush(stdout);
}

VARIANT Child(long id)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

std::wstring Take(BSTR text)
{
    std::wstring out = text ? text : L"";
    SysFreeString(text);
    return out;
}

std::wstring RoleWord(long role)
{
    const struct {
        long role;
        const wchar_t* word;
    } words[] = {{ROLE_SYSTEM_PUSHBUTTON, L"pushbutton"}, {ROLE_SYSTEM_CHECKBUTTON, L"checkbox"},
                 {ROLE_SYSTEM_LINK, L"link"},             {ROLE_SYSTEM_TEXT, L"editable"},
                 {ROLE_SYSTEM_PROGRESSBAR, L"progressbar"}, {ROLE_SYSTEM_STATICTEXT, L"statictext"},
                 {ROLE_SYSTEM_CLIENT, L"client"}};
    for (const auto& w : words)
        if (w.role == role)
            return w.word;
    return L"role" + std::to_wstring(role);
}

std::wstring StateWords(long state)
{
    const struct {
        long bit;
        const wchar_t* word;
    } words[] = {{STATE_SYSTEM_FOCUSED, L"focused"},         {STATE_SYSTEM_FOCUSABLE, L"focusable"},
                 {STATE_SYSTEM_CHECKED, L"checked"},         {STATE_SYSTEM_UNAVAILABLE, L"unavailable"},
                 {STATE_SYSTEM_INVISIBLE, L"invisible"},     {STATE_SYSTEM_LINKED, L"linked"},
                 {STATE_SYSTEM_READONLY, L"readonly"}};
    std::wstring out;
    for (const auto& w : words)
        if (state & w.bit)
            out += (out.empty() ? L"" : L",") + std::wstring(w.word);
    return out;
}

IAccessible* Open(const wchar_t* title)
{
    HWND window = FindWindowW(nullptr, title);
    if (!window)
        return nullptr;
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object))))
        return nullptr;
    return object;
}

std::wstring Name(IAccessible* object, long id)
{
    BSTR name = nullptr;
    object->get_accName(Child(id), &name);
    return Take(name);
}

// A VARIANT answer as a number, or "-" when the call gave none.
std::wstring Number(HRESULT hr, const VARIANT& v)
{
    return hr == S_OK && v.vt == VT_I4 ? std::to_wstring(v.lVal) : L"-";
}

std::wstring Line(IAccessible* object, long id)
{
    VARIANT child = Child(id), role, state, hit, next;
    for (VARIANT* v : {&role, &state, &hit, &next})
        VariantInit(v);
    const bool described = SUCCEEDED(object->get_accRole(child, &role)) && SUCCEEDED(object->get_accState(child, &state));
    BSTR value = nullptr, action = nullptr;
    object->get_accValue(child, &value);
    object->get_accDefaultAction(child, &action);
    long x = 0, y = 0, w = 0, h = 0;
    HRESULT hitHr = object->accLocation(&x, &y, &w, &h, child);
    if (SUCCEEDED(hitHr))
        hitHr = object->accHitTest(x + w / 2, y + h / 2, &hit);
    HRESULT nextHr = object->accNavigate(NAVDIR_NEXT, child, &next);
    return std::to_wstring(id) + L"|" + (described ? RoleWord(role.lVal) : L"-") + L"|" +
           (described ? StateWords(state.lVal) : L"-") + L"|" + Name(object, id) + L"|" + Take(value) + L"|" +
           Take(action) + L"|" + Number(hitHr, hit) + L"|" + Number(nextHr, next) + L"\n";
}

int List(IAccessible* object)
{
    long count = 0;
    object->get_accChildCount(&count);
    std::vector<VARIANT> children(static_cast<size_t>(count));
    long got = 0;
    AccessibleChildren(object, 0, count, children.data(), &got);
    Print(Line(object, CHILDID_SELF));
    for (long i = 0; i < got; ++i)
        Print(Line(object, children[static_cast<size_t>(i)].lVal));
    return 0;
}

int Do(IAccessible* object, const wchar_t* name)
{
    long count = 0;
    object->get_accChildCount(&count);
    for (long id = 1; id <= count; ++id)
        if (Name(object, id) == name)
            return SUCCEEDED(object->accDoDefaultAction(Child(id))) ? 0 : 3;
    return 4;
}

HWND g_window = nullptr;
DWORD g_start = 0;

void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG objectId, LONG childId, DWORD, DWORD)
{
    if (window != g_window || objectId != OBJID_CLIENT)
        return;
    const struct {
        DWORD event;
        const wchar_t* word;
    } words[] = {{EVENT_OBJECT_FOCUS, L"focus"},
                 {EVENT_OBJECT_REORDER, L"reorder"},
                 {EVENT_OBJECT_VALUECHANGE, L"value"},
                 {EVENT_OBJECT_NAMECHANGE, L"name"}};
    for (const auto& w : words) {
        if (w.event != event)
            continue;
        std::wstring text;
        IAccessible* object = nullptr;
        if (SUCCEEDED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                                 reinterpret_cast<void**>(&object)))) {
            BSTR got = nullptr;
            if (event == EVENT_OBJECT_VALUECHANGE)
                object->get_accValue(Child(childId), &got);
            else
                object->get_accName(Child(childId), &got);
            text = Take(got);
            object->Release();
        }
        Print(std::to_wstring(GetTickCount() - g_start) + L"|" + w.word + L"|" + std::to_wstring(childId) + L"|" +
              text + L"\n");
    }
}

int Events(const wchar_t* title, DWORD ms)
{
    g_window = FindWindowW(nullptr, title);
    if (!g_window)
        return 2;
    g_start = GetTickCount();
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_REORDER, EVENT_OBJECT_VALUECHANGE, nullptr, &OnEvent, 0, 0,
                                         WINEVENT_OUTOFCONTEXT);
    if (!hook)
        return 3;
    Print(L"ready\n");
    while (IsWindow(g_window) && GetTickCount() - g_start < ms) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    UnhookWinEvent(hook);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3)
        return 1;
    CoInitialize(nullptr);
    const std::wstring command = argv[1];
    int code = 2;
    if (command == L"events" && argc >= 4) {
        code = Events(argv[2], static_cast<DWORD>(_wtoi(argv[3])));
    } else if (IAccessible* object = Open(argv[2])) {
        code = command == L"list" ? List(object) : (command == L"do" && argc >= 4 ? Do(object, argv[3]) : 1);
        object->Release();
    }
    CoUninitialize();
    return code;
}
