#include "SetupWindow.h"
#include "DuiLib/Core/SkinResources.h"

void CSetupWindow::InitWindow()
{
    SetIcon(101);
    EnableMenuItem(GetSystemMenu(m_hWnd, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_DISABLED | MF_GRAYED);
}

// The skin's copy in memory goes with the window; the loop ends with 0.
void CSetupWindow::OnFinalMessage(HWND hWnd)
{
    DuiLib::CSkinResources::FreeArchiveBuffer();
    WindowImplBase::OnFinalMessage(hWnd);
    PostQuitMessage(0);
}
