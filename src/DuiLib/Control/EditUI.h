#pragma once
// A one-line text input. Painted by itself while idle (its text, dots for
// a password, or the hint while empty); while it has the focus the
// platform's edit control (CEditWnd, owned here) lies over it and does the
// editing, copying each change back and sending "textchanged". Setting the
// text from code sends exactly one "textchanged" either way. UI thread
// only; owned by its parent container.
#include <memory>
#include "DuiLib/Control/EditWnd.h"
#include "DuiLib/Control/LabelUI.h"
#include "DuiLib/Control/StateImages.h"

namespace DuiLib {

class CEditUI : public CLabelUI {
public:
    CEditUI();
    ~CEditUI() override;
    const wchar_t* GetClass() const override { return L"EditUI"; }
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    void SetText(const std::wstring& text) override;
    void SetEnabled(bool enable = true) override;
    void SetPos(RECT rc) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void DoEvent(TControlEvent& event) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

    bool IsReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);
    int GetMaxChar() const { return m_maxChar; }
    void SetMaxChar(int maxChar);
    bool IsPasswordMode() const { return m_password; }
    wchar_t GetPasswordChar() const { return m_passwordChar; }
    // Extra styles of the native edit (the digits-only style).
    DWORD GetExtraStyle() const { return m_extraStyle; }
    uint32_t GetNativeTextColor() const { return m_nativeTextColor; }
    uint32_t GetNativeBkColor() const { return m_nativeBkColor; }
    // The native edit while one is open, else nullptr.
    HWND GetNativeWindow() const { return m_window ? m_window->GetHWND() : nullptr; }

    // From the native edit: its text changed.
    void TakeNativeText(const std::wstring& text);
    // From the native edit, last thing in its life: it is gone.
    void NativeWindowGone() { m_window.reset(); }

private:
    static const TAttributeTable<CEditUI>& Attributes();
    void OpenNativeWindow();
    // Selects the whole native text (a first character of an empty one).
    void SelectAllNative();
    // Mouse buttons and pointer events; true when consumed.
    bool DoMouseEvent(TControlEvent& event);

    std::unique_ptr<CEditWnd> m_window;
    CStateImages m_images;
    UINT m_state = 0;
    int m_maxChar = 255;
    bool m_readOnly = false, m_password = false;
    wchar_t m_passwordChar = L'*';
    DWORD m_extraStyle = 0;
    std::wstring m_hint;
    uint32_t m_hintColor = 0, m_nativeTextColor = 0, m_nativeBkColor = 0;
};

} // namespace DuiLib
