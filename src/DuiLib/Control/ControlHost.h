#pragma once
// What a control asks of the window it belongs to: repaint and layout
// requests, focus, notifications to the window's listeners, fonts, images,
// option groups, the window's settings and what screen readers are told.
// The window manager, in the window-host room above the controls, is the
// one implementation; controls know it only through this. UI thread only.
#include <windows.h>
#include <memory>
#include <string>
#include "DuiLib/Core/FontTable.h"
#include "DuiLib/Core/OptionGroups.h"
#include "DuiLib/Core/WindowSettings.h"
#include "DuiLib/Render/ImageCache.h"

namespace DuiLib {

class CControlUI;

class IControlHost {
public:
    virtual HWND GetPaintWindow() const = 0;
    // Expires when the window or its manager goes (see the manager).
    virtual std::weak_ptr<void> Liveness() const = 0;
    virtual void InitControls(CControlUI* control, CControlUI* parent) = 0;
    virtual void LinkControl(CControlUI* control) = 0;
    virtual void UnlinkControl(CControlUI* control) = 0;
    virtual void ReapObjects(CControlUI* control) = 0;
    virtual void AddDelayedCleanup(CControlUI* control) = 0;

    virtual CControlUI* GetFocus() const = 0;
    virtual void SetFocus(CControlUI* control) = 0;
    virtual bool SetNextTabControl(bool forward = true) = 0;
    virtual bool ShowsFocusMark() const = 0;

    virtual void Invalidate(const RECT& rc) = 0;
    virtual void NeedUpdate() = 0;
    virtual void SendNotify(CControlUI* control, const std::wstring& type, WPARAM wParam = 0, LPARAM lParam = 0,
                            bool async = false) = 0;

    virtual const TFontEntry* GetFont(int index) const = 0;
    virtual CImageCache& GetImageCache() = 0;
    virtual COptionGroups& OptionGroups() = 0;
    virtual const TWindowSettings& Settings() const = 0;

    // What screen readers are told of a control's changes.
    // A text, or a bar's whole percent, changed.
    virtual void ReadersChanged(CControlUI* control) = 0;
    virtual void ReadersVisibilityChanged() = 0;

protected:
    ~IControlHost() = default;
};

} // namespace DuiLib
