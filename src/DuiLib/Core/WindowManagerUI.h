#pragma once
// One per window: owns nothing of the control tree's nodes (the root's
// owner does) but keeps the name map, focus, default attribute lists, the
// font table, the image names, the invalid region, layout requests, the
// delayed clean-up list and the notification listeners. Until it is given
// a window it works without one, which is how the markup and layout logic
// is tested. UI thread only.
#include <windows.h>
#include <map>
#include <string>
#include <vector>
#include "DuiLib/Core/NotifyMsg.h"

namespace DuiLib {

class CControlUI;

struct TFontEntry {
    HFONT hFont = nullptr;
    std::wstring faceName;
    int size = 12;
    bool bold = false, underline = false, italic = false;
    TEXTMETRICW metrics = {};
};

struct TImageEntry {
    std::wstring type;
    uint32_t mask = 0;
};

// Window-level settings read from the markup's Window element.
struct TWindowSettings {
    SIZE initSize = {0, 0};
    RECT sizeBox = {0, 0, 0, 0};
    RECT caption = {0, 0, 0, 0};
    SIZE roundCorner = {0, 0};
    SIZE shadowCorner = {0, 0};
    SIZE minInfo = {0, 0};
    SIZE maxInfo = {0, 0};
    SIZE sizeGrip = {0, 0};
    bool showDirty = false;
    int alpha = 255;
    bool bkTrans = false;
    bool shadow = false;
    bool selfShadow = false;
    RECT shadowBorder = {0, 0, 0, 0};
    std::wstring shadowImage;
    uint32_t disabledFontColor = 0, defaultFontColor = 0, linkFontColor = 0, linkHoverFontColor = 0,
             selectedColor = 0;
};

class CWindowManagerUI {
public:
    CWindowManagerUI() = default;
    CWindowManagerUI(const CWindowManagerUI&) = delete;
    CWindowManagerUI& operator=(const CWindowManagerUI&) = delete;
    ~CWindowManagerUI();

    HWND GetPaintWindow() const { return m_window; }
    // Takes the tree's root: initialises every control and registers names.
    bool AttachDialog(CControlUI* root);
    CControlUI* GetRoot() const { return m_root; }
    // Attaches a subtree to this manager (with initialisation) and
    // registers its names, children before their container.
    void InitControls(CControlUI* control, CControlUI* parent);
    CControlUI* FindControl(const std::wstring& name) const;
    void ReapObjects(CControlUI* control);
    void AddDelayedCleanup(CControlUI* control);
    void RunDelayedCleanup();

    CControlUI* GetFocus() const { return m_focus; }
    void SetFocus(CControlUI* control);

    void Invalidate(const RECT& rc);
    const RECT& GetInvalidRect() const { return m_invalid; }
    void ClearInvalid() { m_invalid = {0, 0, 0, 0}; }
    void NeedUpdate() { m_updateNeeded = true; }
    bool IsUpdateNeeded() const { return m_updateNeeded; }
    // The layout pass: places the root at the client rectangle when a
    // layout was asked for.
    void Layout(const RECT& client);

    void AddNotifier(INotifyUI* notifier);
    void RemoveNotifier(INotifyUI* notifier);
    void SendNotify(CControlUI* control, const std::wstring& type, WPARAM wParam = 0, LPARAM lParam = 0);

    void AddDefaultAttributeList(const std::wstring& element, const std::wstring& list);
    const wchar_t* GetDefaultAttributeList(const std::wstring& element) const;

    int AddFont(const std::wstring& face, int size, bool bold, bool underline, bool italic, bool isDefault);
    const TFontEntry* GetFont(int index) const;
    int GetFontCount() const { return static_cast<int>(m_fonts.size()); }
    int GetDefaultFontIndex() const { return m_defaultFont; }

    void AddImage(const std::wstring& name, const std::wstring& type, uint32_t mask);
    const TImageEntry* GetImage(const std::wstring& name) const;

    void SetWindowAttribute(const wchar_t* name, const wchar_t* value);
    const TWindowSettings& Settings() const { return m_settings; }

private:
    HWND m_window = nullptr;
    CControlUI* m_root = nullptr;
    CControlUI* m_focus = nullptr;
    std::map<std::wstring, CControlUI*> m_names;
    std::vector<CControlUI*> m_delayedCleanup;
    RECT m_invalid = {0, 0, 0, 0};
    bool m_updateNeeded = false;
    std::vector<INotifyUI*> m_notifiers;
    std::map<std::wstring, std::wstring> m_defaultAttributes;
    std::vector<TFontEntry> m_fonts;
    int m_defaultFont = -1;
    std::map<std::wstring, TImageEntry> m_images;
    TWindowSettings m_settings;
};

} // namespace DuiLib
