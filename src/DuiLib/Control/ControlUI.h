#pragma once
// Base of every control: geometry, the common attributes, visibility and
// enabling, lookup and the update requests that lead to re-layout and
// repaint, the input hook (Event) and the paint hook (DoPaint). UI thread
// only. A control is owned by its parent container, the root by the
// window's manager; the manager forgets a control when it is destroyed, and
// a control that outlives its manager is told so and stops calling it.
#include <windows.h>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include "DuiLib/Core/AttributeTable.h"
#include "DuiLib/Core/ControlEvent.h"

namespace DuiLib {

class IControlHost;
class CControlUI;

// Asked of each control a walk visits; the first control it returns ends the
// walk, nullptr goes on.
using FindControlProc = std::function<CControlUI*(CControlUI* control)>;

constexpr UINT UIFIND_ALL = 0x00000000;
constexpr UINT UIFIND_VISIBLE = 0x00000001;
constexpr UINT UIFIND_ENABLED = 0x00000002;
constexpr UINT UIFIND_HITTEST = 0x00000004;
constexpr UINT UIFIND_TOP_FIRST = 0x00000008;
constexpr UINT UIFIND_ME_FIRST = 0x80000000;

struct TRelativePos {
    bool bRelative = false;
    SIZE szParent = {0, 0};
    int nMoveXPercent = 0;
    int nMoveYPercent = 0;
    int nZoomXPercent = 0;
    int nZoomYPercent = 0;
};

class CControlUI {
public:
    CControlUI() = default;
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;
    virtual ~CControlUI();

    virtual const std::wstring& GetName() const { return m_name; }
    virtual void SetName(const std::wstring& name) { m_name = name; }
    virtual const wchar_t* GetClass() const { return L"ControlUI"; }
    virtual void* GetInterface(const wchar_t* name);
    virtual UINT GetControlFlags() const { return 0; }
    // False when the control cannot act, or when a listener of what it
    // sent ended the window (and with it this control): the caller must
    // then touch neither.
    virtual bool Activate();
    virtual IControlHost* GetManager() const { return m_manager; }
    virtual void SetManager(IControlHost* manager, CControlUI* parent, bool init);
    // The manager is being destroyed: this control must not call it again.
    void ForgetManager() { m_manager = nullptr; }
    virtual CControlUI* GetParent() const { return m_parent; }

    virtual const std::wstring& GetText() const { return m_text; }
    virtual void SetText(const std::wstring& text);

    virtual const RECT& GetPos() const { return m_rcItem; }
    virtual void SetPos(RECT rc);
    int GetWidth() const { return m_rcItem.right - m_rcItem.left; }
    int GetHeight() const { return m_rcItem.bottom - m_rcItem.top; }
    const RECT& GetPadding() const { return m_rcPadding; }
    void SetPadding(RECT rc);
    SIZE GetFixedXY() const { return m_cXY; }
    void SetFixedXY(SIZE xy);
    int GetFixedWidth() const { return m_cxyFixed.cx; }
    void SetFixedWidth(int cx);
    int GetFixedHeight() const { return m_cxyFixed.cy; }
    void SetFixedHeight(int cy);
    int GetMinWidth() const { return m_cxyMin.cx; }
    void SetMinWidth(int cx);
    int GetMaxWidth() const { return m_cxyMax.cx; }
    void SetMaxWidth(int cx);
    int GetMinHeight() const { return m_cxyMin.cy; }
    void SetMinHeight(int cy);
    int GetMaxHeight() const { return m_cxyMax.cy; }
    void SetMaxHeight(int cy);
    void SetRelativePos(SIZE move, SIZE zoom);
    void SetRelativeParentSize(SIZE size) { m_relative.szParent = size; }
    const TRelativePos& GetRelativePos() const { return m_relative; }
    bool IsRelativePos() const { return m_relative.bRelative; }

    const std::wstring& GetToolTip() const { return m_tooltip; }
    int GetToolTipWidth() const { return m_tooltipWidth; }
    wchar_t GetShortcut() const { return m_shortcut; }
    bool IsContextMenuUsed() const { return m_menu; }
    const std::wstring& GetUserData() const { return m_userData; }
    UINT_PTR GetTag() const { return m_tag; }
    void SetTag(UINT_PTR tag) { m_tag = tag; }
    const std::wstring& GetVirtualWnd() const { return m_virtualWnd; }
    // The keyboard's order: tab stops with a lower index come first, those
    // without one (0) last, each in tree order.
    int GetTabIndex() const { return m_tabIndex; }
    // What a screen reader is told where the control's text and class say
    // too little: the words an image shows, a role ("link").
    const std::wstring& GetAccessibleName() const { return m_accName; }
    const std::wstring& GetAccessibleRole() const { return m_accRole; }

    virtual bool IsVisible() const { return m_visible && m_internVisible; }
    virtual void SetVisible(bool visible = true);
    virtual void SetInternVisible(bool visible = true);
    virtual bool IsEnabled() const;
    virtual void SetEnabled(bool enable = true);
    bool IsMouseEnabled() const { return m_mouseEnabled; }
    void SetMouseEnabled(bool enable) { m_mouseEnabled = enable; }
    bool IsKeyboardEnabled() const { return m_keyboardEnabled; }
    bool IsFocused() const { return m_focused; }
    virtual void SetFocus();
    bool IsFloat() const { return m_float; }
    void SetFloat(bool isFloat);

    // point counts only with UIFIND_HITTEST.
    virtual CControlUI* FindControl(const FindControlProc& proc, UINT flags, POINT point = {});
    // Whether this control passes the visible, enabled and hit-test flags.
    bool MatchesFind(UINT flags, POINT point) const;
    void Invalidate();
    bool IsUpdateNeeded() const { return m_updateNeeded; }
    void NeedUpdate();
    void NeedParentUpdate();
    void Init();
    virtual void DoInit() {}

    virtual void SetAttribute(const wchar_t* name, const wchar_t* value);
    // Applies blank-separated name="value" pairs, as written in markup.
    void ApplyAttributeList(const wchar_t* list);
    // Hands each name="value" pair of such a list to apply, in order; a
    // pair that breaks the notation ends the list.
    static void ForEachAttribute(const wchar_t* list,
                                 const std::function<void(const wchar_t* name, const wchar_t* value)>& apply);
    virtual SIZE EstimateSize(SIZE available);

    // Input from the window's manager; DoEvent handles what a plain control
    // handles and passes everything else up to the parent.
    void Event(TControlEvent& event) { DoEvent(event); }
    virtual void DoEvent(TControlEvent& event);
    // Paints the part of the control inside rcPaint: background colours,
    // background image, state images, text, border, in that order, inside
    // the rounded corners when the border has them.
    virtual void DoPaint(HDC hDC, const RECT& rcPaint);
    virtual void PaintBkColor(HDC hDC);
    virtual void PaintBkImage(HDC hDC);
    virtual void PaintStatusImage(HDC) {}
    virtual void PaintText(HDC) {}
    virtual void PaintBorder(HDC hDC);
    // The keyboard focus: a one-pixel frame in the window's accent colour
    // inside the item, on a focused tab stop once the keyboard is in use.
    void PaintFocusMark(HDC hDC);
    // Paints over the finished frame; only for controls that joined their
    // manager's post-paint list.
    virtual void DoPostPaint(HDC, const RECT&) {}

    uint32_t GetBkColor() const { return m_bkColor; }
    uint32_t GetBorderColor() const { return m_borderColor; }
    int GetBorderSize() const { return m_borderSize; }
    const RECT& GetBorderSizes() const { return m_rcBorderSize; }
    const std::wstring& GetBkImage() const { return m_bkImage; }
    void SetBkImage(std::wstring_view image);
    // For an image that draws the same as the current one outside changed
    // (window coordinates): only that part is repainted.
    void SetBkImage(std::wstring_view image, const RECT& changed);
    const std::wstring& GetForeImage() const { return m_foreImage; }

protected:
    // Draws an image string over this control through the window's image
    // cache; false only without a manager or device context.
    bool DrawImage(HDC hDC, const std::wstring& image, std::wstring_view modifier = {});
    // Every setter of a field that only changes the look: a repaint on a
    // change, nothing otherwise. Strings are assigned in place, keeping their
    // storage: the progress bar renews its image string every 20 ms without
    // allocating.
    template <class Field, class Value>
    void SetAndInvalidate(Field& field, const Value& value)
    {
        if (field == value)
            return;
        field = value;
        Invalidate();
    }
    void RequestGeometry();
    // Repaints the part of area inside this control and every ancestor.
    void InvalidateArea(RECT area);
    void SetLimit(long& field, int value);
    void PaintBorderSides(HDC hDC);

    IControlHost* m_manager = nullptr;
    CControlUI* m_parent = nullptr;
    RECT m_rcItem = {0, 0, 0, 0};
    // The part of the item rectangle being painted, during DoPaint.
    RECT m_rcPaint = {0, 0, 0, 0};
    bool m_updateNeeded = true;

private:
    static const TAttributeTable<CControlUI>& Attributes();
    // "bordersize" is one width for every side, or four when it has commas.
    void SetBorderSize(const wchar_t* value);
    // "pos" is x,y of the fixed position, then right and bottom giving the size.
    void SetPosAttribute(const wchar_t* value);

    std::wstring m_name, m_text, m_tooltip, m_userData, m_virtualWnd, m_accName, m_accRole;
    int m_tabIndex = 0;
    int m_tooltipWidth = 300;
    UINT_PTR m_tag = 0;
    wchar_t m_shortcut = 0;
    RECT m_rcPadding = {0, 0, 0, 0};
    SIZE m_cXY = {0, 0};
    SIZE m_cxyFixed = {0, 0};
    SIZE m_cxyMin = {0, 0};
    SIZE m_cxyMax = {9999, 9999};
    TRelativePos m_relative;
    bool m_visible = true, m_internVisible = true, m_enabled = true, m_mouseEnabled = true;
    bool m_keyboardEnabled = true, m_focused = false, m_float = false, m_menu = false, m_colorHsl = false;
    bool m_inSetPos = false;
    uint32_t m_bkColor = 0, m_bkColor2 = 0, m_bkColor3 = 0, m_borderColor = 0, m_focusBorderColor = 0;
    int m_borderSize = 0, m_borderStyle = 0;
    RECT m_rcBorderSize = {0, 0, 0, 0};
    SIZE m_cxyBorderRound = {0, 0};
    std::wstring m_bkImage, m_foreImage;
};

} // namespace DuiLib
