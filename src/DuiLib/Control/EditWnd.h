#pragma once
// The platform's edit control laid over a CEditUI while it is being edited
// (a superclass of "Edit" under the class name "EditWnd", a child of the
// owner's window). It copies every text change back to its owner, turns
// Enter into the owner's "return", colours itself from the owner's native
// colours and closes itself when it loses the keyboard focus. Owned by its
// CEditUI: when the window ends by itself, OnFinalMessage tells the owner,
// which destroys this object. UI thread only.
#include "DuiLib/Core/WindowWnd.h"

namespace DuiLib {

class CEditUI;

class CEditWnd : public CWindowWnd {
public:
    explicit CEditWnd(CEditUI& owner) : m_owner(owner) {}
    ~CEditWnd() override;

    // Creates the native edit over the owner, set up from it, and gives it
    // the keyboard focus; false when the window cannot be made.
    bool Init();
    // Where the native edit goes: the owner's text area, narrowed to one
    // line of its font, centred, when the area is taller.
    static RECT PlaceFor(const CEditUI& owner);

    const wchar_t* GetWindowClassName() const override { return L"EditWnd"; }
    const wchar_t* GetSuperClassName() const override { return L"Edit"; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    LRESULT OnCtlColor(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnCommand(WPARAM wParam);

    CEditUI& m_owner;
    HBRUSH m_bkBrush = nullptr;
    bool m_init = false;
};

} // namespace DuiLib
