#pragma once
// The one tooltip a window manager shows for the control under a resting
// mouse: a native tooltip window made on first use and destroyed with its
// owner object. UI thread only.
#include <windows.h>
#include <commctrl.h>
#include <string>

namespace DuiLib {

class CToolTipWindow {
public:
    CToolTipWindow() = default;
    CToolTipWindow(const CToolTipWindow&) = delete;
    CToolTipWindow& operator=(const CToolTipWindow&) = delete;
    ~CToolTipWindow() { Destroy(); }

    // Shows `text` for the area `tool` of `owner`, wrapped at `maxWidth`.
    void Show(HWND owner, const std::wstring& text, const RECT& tool, int maxWidth);
    void Hide();
    void Destroy();
    bool Exists() const { return m_window != nullptr; }
    // How long the mouse must rest before the tip shows.
    UINT InitialDelay() const;

private:
    HWND m_window = nullptr;
    TOOLINFOW m_tool = {};
    std::wstring m_text;
};

} // namespace DuiLib
