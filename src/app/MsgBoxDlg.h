#pragma once
// The installer's skinned message box: a title band, a tip icon, one line of
// text and one or two buttons. Always made with new: it deletes itself once
// its window is gone, and a pointer to it is valid only while that window
// exists. Enter and Esc do nothing in it. UI thread only.
#include <string>
#include "DuiLib/Host/WindowImplBase.h"
#include "app/ControlSlots.h"

class CMsgBoxDlg : public DuiLib::WindowImplBase {
public:
    static constexpr UINT kOk = 1;      // the OK button
    static constexpr UINT kCancel = 2;  // the cancel or the close button

    // An empty title keeps the skin's own.
    CMsgBoxDlg(std::wstring text, std::wstring title);

    const wchar_t* GetWindowClassName() const override { return L"tarvoim"; }
    void OnFinalMessage(HWND hWnd) override;
    void InitWindow() override;
    std::wstring GetSkinFolder() override { return L""; }
    std::wstring GetSkinFile() override { return L"MessageBox.xml"; }
    // Taken and ignored: neither closes the box nor presses its focused
    // button; Space on that button answers.
    LRESULT ResponseDefaultKeyEvent(WPARAM) override { return TRUE; }
    void Notify(DuiLib::TNotifyMsg& msg) override;

    // Creates the window owned by owner with the platform title, centres it
    // and shows it; false (and the box is gone) when no window could be made.
    bool Open(HWND owner, const wchar_t* platformTitle);
    // Button texts (empty keeps the skin's) and which buttons show.
    void SetButtons(const std::wstring& okText, const std::wstring& cancelText, bool showClose, bool showCancel);

private:
    ~CMsgBoxDlg() override = default;

    static const TControlSlot<CMsgBoxDlg> kControls[];
    bool m_opened = false;
    std::wstring m_text;
    std::wstring m_title;
    DuiLib::CControlUI* m_btnClose = nullptr;
    DuiLib::CControlUI* m_btnOk = nullptr;
    DuiLib::CControlUI* m_btnCancel = nullptr;
    DuiLib::CControlUI* m_lbText = nullptr;
    DuiLib::CControlUI* m_lbTitle = nullptr;
    DuiLib::CControlUI* m_hltBtn0 = nullptr;
};

// Runs a box modally over owner and returns its result (kOk or kCancel, or
// the code of a close request from elsewhere). While it runs, *running (if
// given) points to the box, so that the owner can close it.
UINT ShowMsgBox(HWND owner, const std::wstring& title, const std::wstring& text, const std::wstring& cancelText,
                bool showClose, bool showCancel, const std::wstring& okText, CMsgBoxDlg** running = nullptr);
