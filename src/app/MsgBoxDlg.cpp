#include "MsgBoxDlg.h"
#include "DuiLib/Control/ControlUI.h"

CMsgBoxDlg::CMsgBoxDlg(std::wstring text, std::wstring title) : m_text(std::move(text)), m_title(std::move(title)) {}

const TControlSlot<CMsgBoxDlg> CMsgBoxDlg::kControls[] = {
    Slot<&CMsgBoxDlg::m_btnClose>(L"btn_close"), Slot<&CMsgBoxDlg::m_btnOk>(L"btn_ok"),
    Slot<&CMsgBoxDlg::m_btnCancel>(L"btn_cancel"), Slot<&CMsgBoxDlg::m_lbText>(L"lb_text"),
    Slot<&CMsgBoxDlg::m_lbTitle>(L"lb_title"), Slot<&CMsgBoxDlg::m_hltBtn0>(L"hlt_btn_0"),
};

void CMsgBoxDlg::OnFinalMessage(HWND hWnd)
{
    WindowImplBase::OnFinalMessage(hWnd);
    // A window that failed during creation leaves the object to Open.
    if (m_opened) delete this;
}

void CMsgBoxDlg::InitWindow()
{
    LookUpControls(m_pm, *this, kControls);
    if (m_lbText) m_lbText->SetText(m_text);
    if (m_lbTitle && !m_title.empty()) m_lbTitle->SetText(m_title);
}

void CMsgBoxDlg::Notify(DuiLib::TNotifyMsg& msg)
{
    if (msg.sType != L"click") return;
    if (msg.pSender == m_btnOk)
        Close(kOk);
    else if (msg.pSender == m_btnCancel || msg.pSender == m_btnClose)
        Close(kCancel);
}

bool CMsgBoxDlg::Open(HWND owner, const wchar_t* platformTitle)
{
    if (!Create(owner, platformTitle, WS_POPUP, 0, 0, 0, 0, 0)) {
        delete this;
        return false;
    }
    m_opened = true;
    CenterWindow();
    ShowWindow(true, true);
    return true;
}

void CMsgBoxDlg::SetButtons(const std::wstring& okText, const std::wstring& cancelText, bool showClose,
                            bool showCancel)
{
    if (m_btnOk && !okText.empty()) m_btnOk->SetText(okText);
    if (m_btnCancel && !cancelText.empty()) m_btnCancel->SetText(cancelText);
    if (m_btnClose) m_btnClose->SetVisible(showClose);
    if (m_hltBtn0) m_hltBtn0->SetVisible(showCancel);
}

UINT ShowMsgBox(HWND owner, const std::wstring& title, const std::wstring& text, const std::wstring& cancelText,
                bool showClose, bool showCancel, const std::wstring& okText, CMsgBoxDlg** running)
{
    CMsgBoxDlg* box = new CMsgBoxDlg(text, title);
    if (!box->Open(owner, L"岚盒提示")) return 0;
    box->SetButtons(okText, cancelText, showClose, showCancel);
    if (running) *running = box;
    const UINT result = box->ShowModal();
    if (running) *running = nullptr;
    return result;
}
