#pragma once
// One per window: owns the control tree (the root it is given, destroyed
// with the window or with the manager), the fonts, the control timers and
// the offscreen bitmaps; keeps the name map, focus, hover and click
// targets, default attribute lists, the image cache, layout requests, the
// delayed clean-up list and the listeners, filters and translators it is
// given (their owners remove them). It turns the window's messages into
// control events, focus moves, notifications and the layout and paint
// pass. Until it is given a window it works without one, which is how the
// markup and layout logic is tested. UI thread only, the thread that made
// the window.
#include <windows.h>
#include <map>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>
#include "DuiLib/Host/AccessibleHost.h"
#include "DuiLib/Control/ControlHost.h"
#include "DuiLib/Core/ControlEvent.h"
#include "DuiLib/Core/DpiScale.h"
#include "DuiLib/Core/FontTable.h"
#include "DuiLib/Host/InputRouter.h"
#include "DuiLib/Core/NotifyMsg.h"
#include "DuiLib/Core/OptionGroups.h"
#include "DuiLib/Render/PaintSurface.h"
#include "DuiLib/Core/TimerTable.h"
#include "DuiLib/Core/UIInterfaces.h"
#include "DuiLib/Core/WindowSettings.h"
#include "DuiLib/Render/ImageCache.h"

namespace DuiLib {

class CControlUI;

class CWindowManagerUI final : public IControlHost {
public:
    // The private message that destroys the controls queued for delayed
    // destruction.
    static constexpr UINT kCleanupMessage = WM_APP + 1;

    CWindowManagerUI();
    CWindowManagerUI(const CWindowManagerUI&) = delete;
    CWindowManagerUI& operator=(const CWindowManagerUI&) = delete;
    ~CWindowManagerUI();

    // Joins the manager to its window (once, from the window's creation).
    void Init(HWND window);
    HWND GetPaintWindow() const override { return m_window; }
    // The window is gone: timers stop and the control tree is destroyed.
    void WindowDestroyed();
    // Expires when this manager's window is destroyed or the manager itself
    // goes. A listener may do either; whoever notifies keeps one across the
    // call and stops when it has expired.
    std::weak_ptr<void> Liveness() const override { return m_alive; }
    // Takes the tree's root (destroying an earlier one): initialises every
    // control, registers names and asks for the first layout.
    bool AttachDialog(std::unique_ptr<CControlUI> root);
    CControlUI* GetRoot() const { return m_root.get(); }
    // Attaches a subtree to this manager (with initialisation) and
    // registers its names, children before their container.
    void InitControls(CControlUI* control, CControlUI* parent) override;
    CControlUI* FindControl(const std::wstring& name) const;
    // The topmost visible control under a client point, or nothing.
    CControlUI* FindControl(POINT pt) const;
    // A control that refers to this manager; survivors are told when the
    // manager goes away.
    void LinkControl(CControlUI* control) override { m_linked.insert(control); }
    void UnlinkControl(CControlUI* control) override { m_linked.erase(control); }
    // A destroyed control stops being a target, loses its timers and
    // leaves the name map.
    void ReapObjects(CControlUI* control) override;
    void AddDelayedCleanup(CControlUI* control) override;
    void RunDelayedCleanup();
    // Controls that paint over the finished frame (DoPostPaint), in order.
    void AddPostPaint(CControlUI* control);
    void RemovePostPaint(CControlUI* control);

    CControlUI* GetFocus() const override { return m_focus; }
    void SetFocus(CControlUI* control) override;
    // Moves the focus to the next (or previous) tab stop.
    bool SetNextTabControl(bool forward = true) override;
    // Whether the focused control shows the focus mark: as the platform's
    // own keyboard cues, only once a key has been pressed in the window, so
    // that a window used with the mouse looks as it always did. The system's
    // "always show" setting is not read: Wine reports it on where Windows
    // has it off, which would mark every control a click focuses.
    bool ShowsFocusMark() const override { return m_keyboardCues; }

    void Invalidate(const RECT& rc) override;
    const RECT& GetInvalidRect() const { return m_invalid; }
    void NeedUpdate() override { m_updateNeeded = true; }
    bool IsUpdateNeeded() const { return m_updateNeeded; }
    // The layout pass: the root at the client rectangle when it needs an
    // update, else every control that needs one at its own rectangle.
    void Layout(const RECT& client);

    void AddNotifier(INotifyUI* notifier);
    void RemoveNotifier(INotifyUI* notifier);
    void AddPreMessageFilter(IMessageFilterUI* filter);
    void RemovePreMessageFilter(IMessageFilterUI* filter);
    void AddMessageFilter(IMessageFilterUI* filter);
    void RemoveMessageFilter(IMessageFilterUI* filter);
    void AddTranslateAccelerator(ITranslateAccelerator* translator);
    void RemoveTranslateAccelerator(ITranslateAccelerator* translator);
    // Synchronous unless async, then delivered before the next message.
    void SendNotify(CControlUI* control, const std::wstring& type, WPARAM wParam = 0, LPARAM lParam = 0,
                    bool async = false) override;

    // False when the timer runs already or cannot be started.
    bool SetTimer(CControlUI* control, UINT localId, UINT elapse);
    bool KillTimer(CControlUI* control, UINT localId);
    void KillTimers(CControlUI* control);

    void AddDefaultAttributeList(const std::wstring& element, const std::wstring& list);
    const wchar_t* GetDefaultAttributeList(const std::wstring& element) const;

    int AddFont(const std::wstring& face, int size, bool bold, bool underline, bool italic, bool isDefault);
    const TFontEntry* GetFont(int index) const override { return m_fonts.Get(index); }
    int GetFontCount() const { return m_fonts.Count(); }
    int GetDefaultFontIndex() const { return m_fonts.DefaultIndex(); }

    // The window's decoded images, emptied with the manager.
    CImageCache& GetImageCache() override { return m_imageCache; }
    // The markup's Image element: loads now, with its resource type and
    // mask, so later requests by that name get this entry.
    void AddImage(const std::wstring& name, const std::wstring& type, uint32_t mask);
    // What screen readers are told of this window.
    CAccessibleHost& Accessible() { return m_accessible; }
    // The option groups of this window, keyed by group name.
    COptionGroups& OptionGroups() override { return m_optionGroups; }
    void ReadersChanged(CControlUI* control) override { m_accessible.Changed(control); }
    void ReadersVisibilityChanged() override { m_accessible.VisibilityChanged(); }

    // The window's scale. Set before the skin is built, it is the scale
    // the fonts and images are made at; set again later (the window moved
    // to a monitor of another scale), it also applies the kept markup
    // values at the new scale and lays the window out again.
    CDpiScale Scale() const { return m_scale; }
    void SetScale(CDpiScale scale);
    // A markup attribute whose value changes with the scale, as the skin
    // wrote it (control nullptr: the Window element's), for SetScale.
    void KeepMarkupValue(CControlUI* control, const wchar_t* name, const wchar_t* value);
    // The skin's window size at the scale (zero before it is read).
    SIZE SkinSize() const { return m_skinSize; }

    // The rectangle the window was created with; a skin's size applies
    // only while it is all zero.
    void SetInitialRect(const RECT& rc) { m_initialRect = rc; }
    const RECT& GetInitialRect() const { return m_initialRect; }
    void SetWindowAttribute(const wchar_t* name, const wchar_t* value);
    const TWindowSettings& Settings() const override { return m_settings; }
    // Whether the window has been painted at least once.
    bool IsPainted() const { return m_paintedOnce; }

    // The window's handling of a message it did not handle itself; true
    // when the manager handled it, with its result. Also true when a
    // listener destroyed the window meanwhile: the caller must then return
    // at once, since the window's object may be gone too.
    bool MessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The step before dispatch for every message of the thread's loops:
    // true when the message was consumed and must not be dispatched.
    static bool TranslateMessage(const MSG* msg);

private:
    struct TKeptValue {
        CControlUI* control;
        std::wstring name, value;
    };

    void ApplySize(SIZE size);
    void ApplyAlpha();
    bool PreMessageHandler(const MSG* msg);
    void DeliverNotify(TNotifyMsg& msg);
    void DeliverPendingNotify();
    bool HandleOwnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void OnTimer(UINT_PTR nativeId);
    bool OnPaint();
    // False when a listener destroyed the window (or this manager).
    bool SendWindowInitOnce();
    void PaintFrame(HDC dc, const RECT& client, const RECT& rc);
    void PaintLayered();
    // True when a listener ended the window meanwhile (the close is then
    // handled); false leaves the close to the platform.
    bool OnClose();
    bool OnSetCursor(LPARAM lParam);
    void OnMinMaxInfo(MINMAXINFO* info) const;
    bool Reflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void PrintClient(HDC dc, LPARAM flags);
    void DestroyTree();
    void KeyboardUsed();

    HWND m_window = nullptr;
    std::shared_ptr<char> m_alive = std::make_shared<char>();
    std::unique_ptr<CControlUI> m_root;
    CControlUI* m_focus = nullptr;
    bool m_updateNeeded = false, m_firstLayout = false, m_focusNeeded = false, m_paintedOnce = false;
    bool m_keyboardCues = false;
    std::map<std::wstring, CControlUI*> m_names;
    std::unordered_set<CControlUI*> m_linked;
    std::vector<CControlUI*> m_delayedCleanup;
    std::vector<CControlUI*> m_postPaint;
    RECT m_invalid = {0, 0, 0, 0};
    RECT m_initialRect = {0, 0, 0, 0};
    SIZE m_skinSize = {0, 0};
    CDpiScale m_scale;
    std::vector<TKeptValue> m_kept;
    std::vector<INotifyUI*> m_notifiers;
    std::vector<IMessageFilterUI*> m_preFilters, m_filters;
    std::vector<ITranslateAccelerator*> m_translators;
    std::vector<TNotifyMsg> m_pendingNotify;
    std::map<std::wstring, std::wstring> m_defaultAttributes;
    CFontTable m_fonts;
    TWindowSettings m_settings;
    CTimerTable m_timers;
    COptionGroups m_optionGroups;
    CImageCache m_imageCache;
    CInputRouter m_input{*this};
    CAccessibleHost m_accessible{*this};
    CPaintSurface m_offscreen;
};

} // namespace DuiLib
