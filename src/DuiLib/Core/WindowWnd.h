#pragma once
// One top-level native window: class registration, creation, the window
// procedure that forwards every message to HandleMessage, the modal loop
// and centring. UI thread only (the thread that created the window). The
// object outlives its window; OnFinalMessage runs after the window is gone
// and is the one place where a window class may delete its own object.
// The object owns the icons it gives its window.
#include <windows.h>
#include <memory>
#include <type_traits>

namespace DuiLib {

class CWindowWnd {
public:
    CWindowWnd() = default;
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    HWND GetHWND() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // Defaults equal the override's: the default arguments of a virtual
    // call come from the static type, so they must not differ.
    virtual HWND Create(HWND parent, const wchar_t* name, DWORD style, DWORD exStyle, int x = 0, int y = 0,
                        int cx = 0, int cy = 0, HMENU menu = nullptr);
    virtual void ShowWindow(bool show = true, bool takeFocus = true);
    virtual void CenterWindow();
    virtual const wchar_t* GetWindowClassName() const = 0;
    virtual const wchar_t* GetSuperClassName() const { return nullptr; }
    virtual UINT GetClassStyle() const { return CS_DBLCLKS; }
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual void OnFinalMessage(HWND) {}
    virtual ~CWindowWnd() { Abandon(); }

    // Runs a modal loop over the owner until this window is gone and
    // returns the result of the close request that ended it. Nothing after
    // the window's destruction touches this object, so the window class may
    // delete itself in OnFinalMessage.
    UINT ShowModal();
    // The step the modal loop runs before dispatching each message: true
    // when the message was consumed. The window host above installs its
    // own; without one every message is dispatched.
    using MessageTranslator = bool (*)(const MSG* msg);
    static void SetMessageTranslator(MessageTranslator translator);
    // Posts a close request carrying the result (only while the window exists).
    void Close(UINT result = IDOK);
    // The big and the small icon, each loaded at its own size; replaces
    // (and frees) the icons of an earlier call.
    void SetIcon(UINT resourceId);
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    bool RegisterWindowClass();

protected:
    // An object destroyed before its window cuts the window loose first, so
    // that no message reaches the dead object.
    void Abandon();
    static MONITORINFO NearestMonitor(HWND window);
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // The object of a window; the creation message introduces it.
    static CWindowWnd* Attach(HWND hWnd, UINT msg, LPARAM lParam);

    HWND m_hWnd = nullptr;
    WNDPROC m_superProc = nullptr;

private:
    struct IconDestroyer {
        void operator()(HICON icon) const { DestroyIcon(icon); }
    };
    using IconHandle = std::unique_ptr<std::remove_pointer_t<HICON>, IconDestroyer>;

    // The window's last message has been handled, or has failed: the
    // object lets go of it and hears its final message.
    void WindowGone(HWND hWnd);

    IconHandle m_bigIcon, m_smallIcon;
};

} // namespace DuiLib
