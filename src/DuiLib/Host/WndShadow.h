#pragma once
// The drop shadow of a skinned window: a layered, click-through popup owned
// by the window, kept around it by a hook on the window's procedure that
// sees every message before the window does from the shadow's creation on
// (made beside a window already shown, the shadow takes its place at once).
// The fringe is computed, not drawn from an image.
//
// UI thread only (the thread of the parent window). The window object owns
// its CWndShadow and frees it after the parent window is gone. At the
// parent's final (non-client destroy) message the hook restores the
// previous procedure and forgets the parent before passing the message on,
// since that call may free this object; the destructor of an object still
// hooked to a living parent unhooks it and destroys the shadow window.
#include <windows.h>
#include <cstdint>
#include "DuiLib/Core/DpiScale.h"
#include "DuiLib/Render/LayeredPush.h"

namespace DuiLib {

class CWndShadow {
public:
    using UpdateLayeredWindowFn = CLayeredPush::UpdateFn;

    CWndShadow() = default;
    CWndShadow(const CWndShadow&) = delete;
    CWndShadow& operator=(const CWndShadow&) = delete;
    virtual ~CWndShadow();

    // Once per process, at start-up: looks the layered-window update up in
    // the system once and registers the shadow window class. False means
    // shadows are off: Create then makes nothing, and shadows made before
    // keep their last picture.
    static bool Initialize(HINSTANCE instance);
    // The same with the update operation already looked up; nullptr stands
    // for a system without it.
    static bool Initialize(HINSTANCE instance, UpdateLayeredWindowFn update);

    // The shadow window (shown with the parent, at once if the parent is
    // already shown), or nullptr when shadows are off or the parent is
    // already hooked.
    HWND Create(HWND parent);
    // The fringe's width and offsets at the parent's scale; a visible
    // shadow is computed again at once.
    void SetScale(CDpiScale scale);

private:
    enum Status : uint8_t { kEnabled = 1, kVisible = 2, kParentVisible = 4 };

    static LRESULT CALLBACK HookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static void CALLBACK FirstUpdate(HWND shadow, UINT, UINT_PTR timer, DWORD);
    static CWndShadow* Find(HWND parent);

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnShowWindow(WPARAM wParam, LPARAM lParam);
    LRESULT OnMove(WPARAM wParam, LPARAM lParam);
    LRESULT OnSize(WPARAM wParam, LPARAM lParam);
    LRESULT OnFirstSizeWhileShown(WPARAM wParam, LPARAM lParam);
    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    LRESULT OnFinalMessage(WPARAM wParam, LPARAM lParam);
    bool PassOn(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    void Unhook();
    void ApplyShowRule();
    void SetStatus(uint8_t status);
    bool Has(Status bit) const { return (m_status & bit) != 0; }
    void ShowShadow();
    void HideShadow();
    void DestroyShadow();
    void Recompute();
    POINT ShadowOrigin(const RECT& parent) const;

    HWND m_parent = nullptr;
    HWND m_shadow = nullptr;
    WNDPROC m_previous = nullptr;
    static constexpr int kSize = 14; // at 96 DPI
    int m_size = kSize;
    int m_offsetX = 0;
    int m_offsetY = 0;
    uint16_t m_lastWidth = 0;
    uint16_t m_lastHeight = 0;
    bool m_updatePending = false;
    uint32_t m_color = 0x505050;
    uint8_t m_status = 0;
};

} // namespace DuiLib
