#pragma once
// The skinned window base: no native frame, content built from a skin
// markup file, caption dragging, round corners, size limits, Enter/Escape
// handling and notifications routed to handlers by type. The skin is built
// at the scale of the monitor the window opens on and follows the window
// to a monitor of another scale (WM_DPICHANGED). Owns its window's
// manager (and with it the control tree) and, when the skin asks for one,
// its shadow window. UI thread only. A subclass names its class and skin
// file and overrides the hooks it needs.
#include <memory>
#include "DuiLib/Host/MarkupBuilder.h"
#include "DuiLib/Host/NotifyPump.h"
#include "DuiLib/Core/UIInterfaces.h"
#include "DuiLib/Host/WindowManagerUI.h"
#include "DuiLib/Core/WindowWnd.h"

namespace DuiLib {

class CWndShadow;

// Where a window class's skin lives.
enum class ESkinSource { File = 1, ZipFile = 2, Resource = 3, ZipResource = 4 };

class WindowImplBase : public CWindowWnd,
                       public CNotifyPump,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback {
public:
    WindowImplBase();
    HWND Create(HWND parent, const wchar_t* name, DWORD style, DWORD exStyle, int x = 0, int y = 0, int cx = 0,
                int cy = 0, HMENU menu = nullptr) override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;
    ~WindowImplBase() override;

    // At creation, with the skin built and attached.
    virtual void InitWindow() {}
    // Once, from the first message retrieval after creation, shown or not.
    // The program retrieves none before it has shown the window (and
    // painted the main window's first frame), so what the first frame
    // does not need (the shadow, and whatever a subclass puts here) does
    // not hold the window back. Posted messages come before input and
    // timers: none of those reaches the window before this.
    virtual void InitWindowShown() {}
    virtual void OnClick(TNotifyMsg& msg);
    virtual std::wstring GetSkinFolder() = 0;
    virtual std::wstring GetSkinFile() = 0;
    // Enter or Escape pressed in the window: TRUE when taken here, so that
    // it goes no further; the base closes on Escape and leaves Enter to the
    // focused control.
    virtual LRESULT ResponseDefaultKeyEvent(WPARAM key);
    virtual ESkinSource GetResourceType() const { return ESkinSource::ZipResource; }
    virtual std::wstring GetZIPFileName() const { return L""; }
    virtual int GetResourceID() const { return 150; }
    virtual LRESULT OnClose(UINT, WPARAM, LPARAM, bool& handled) { return Unhandled(handled); }
    virtual LRESULT OnDestroy(UINT, WPARAM, LPARAM, bool& handled) { return Unhandled(handled); }
    virtual LRESULT OnNcActivate(UINT, WPARAM wParam, LPARAM, bool& handled);
    virtual LRESULT OnNcCalcSize(UINT, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNcPaint(UINT, WPARAM, LPARAM, bool&) { return 0; }
    virtual LRESULT OnNcLButtonDown(UINT, WPARAM, LPARAM, bool& handled);
    virtual LRESULT OnNcHitTest(UINT, WPARAM, LPARAM lParam, bool& handled);
    virtual LRESULT OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, bool& handled);
    virtual LRESULT OnMouseWheel(UINT, WPARAM, LPARAM, bool& handled) { return Unhandled(handled); }
    virtual LRESULT OnMouseHover(UINT, WPARAM, LPARAM, bool& handled) { return Unhandled(handled); }
    virtual LRESULT OnSize(UINT, WPARAM wParam, LPARAM, bool& handled);
    virtual LRESULT OnMove(UINT, WPARAM, LPARAM, bool& handled) { return Unhandled(handled); }
    virtual LRESULT OnChar(UINT, WPARAM, LPARAM, bool& handled) { return Unhandled(handled); }
    virtual LRESULT OnSysCommand(UINT, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnCreate(UINT, WPARAM, LPARAM, bool& handled);
    virtual LRESULT OnKeyDown(UINT, WPARAM, LPARAM, bool& handled) { return Unhandled(handled); }
    virtual LRESULT OnKillFocus(UINT, WPARAM, LPARAM, bool& handled) { return Unhandled(handled); }
    virtual LRESULT OnSetFocus(UINT, WPARAM, LPARAM, bool& handled) { return Unhandled(handled); }
    virtual LRESULT OnLButtonDown(UINT, WPARAM, LPARAM, bool& handled) { return Unhandled(handled); }
    virtual LRESULT OnLButtonUp(UINT, WPARAM, LPARAM, bool& handled) { return Unhandled(handled); }
    virtual LRESULT OnMouseMove(UINT, WPARAM, LPARAM, bool& handled) { return Unhandled(handled); }
    // Messages the window class handles itself; the flag starts set, so
    // clear it for everything that must go on to the manager.
    virtual LRESULT HandleCustomMessage(UINT, WPARAM, LPARAM, bool& handled) { return Unhandled(handled); }
    virtual LRESULT OnShowWindow(UINT, WPARAM, LPARAM, bool& handled) { return Unhandled(handled); }
    // The skin at the new monitor's scale, the window at the skin's size
    // from the suggested rectangle's corner.
    virtual LRESULT OnDpiChanged(UINT, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LONG GetStyle();

    void Notify(TNotifyMsg& msg) override;
    LRESULT MessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    CControlUI* CreateControl(const wchar_t* elementName) override;

    CWindowManagerUI& Manager() { return m_pm; }

protected:
    const TNotifyMap* GetNotifyMap() const override;
    static LRESULT Unhandled(bool& handled)
    {
        handled = false;
        return 0;
    }

    CWindowManagerUI m_pm;

private:
    static constexpr UINT kFirstLoopMessage = WM_APP + 4;

    LRESULT OnFirstLoop(UINT, WPARAM, LPARAM, bool&);
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    // Opens the skin source of the window class; false when there is none.
    bool OpenSkinSource();
    std::unique_ptr<CControlUI> BuildSkin();

    std::unique_ptr<CWndShadow> m_shadow;
    bool m_firstLoopDone = false;
};

} // namespace DuiLib
