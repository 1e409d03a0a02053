#include "DuiLib/Core/ToolTipWindow.h"

namespace DuiLib {

void CToolTipWindow::Show(HWND owner, const std::wstring& text, const RECT& tool, int maxWidth)
{
    m_text = text;
    m_tool.cbSize = TTTOOLINFOW_V1_SIZE;
    m_tool.uFlags = TTF_IDISHWND;
    m_tool.hwnd = owner;
    m_tool.uId = reinterpret_cast<UINT_PTR>(owner);
    m_tool.hinst = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE));
    m_tool.lpszText = m_text.data();
    m_tool.rect = tool;
    if (!m_window) {
        m_window = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                   m_tool.hinst, nullptr);
        if (!m_window)
            return;
        SendMessageW(m_window, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&m_tool));
    }
    SendMessageW(m_window, TTM_SETMAXTIPWIDTH, 0, maxWidth);
    SendMessageW(m_window, TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&m_tool));
    SendMessageW(m_window, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&m_tool));
}

void CToolTipWindow::Hide()
{
    if (m_window)
        SendMessageW(m_window, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&m_tool));
}

void CToolTipWindow::Destroy()
{
    if (m_window && IsWindow(m_window))
        DestroyWindow(m_window);
    m_window = nullptr;
}

UINT CToolTipWindow::InitialDelay() const
{
    return m_window ? static_cast<UINT>(SendMessageW(m_window, TTM_GETDELAYTIME, TTDT_INITIAL, 0)) : 400;
}

} // namespace DuiLib
