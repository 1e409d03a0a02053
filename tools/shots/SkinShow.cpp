// Opens one of the installer's skins in a window of its own, for looking at
// under Xvfb: "SkinShow.exe main PAGE" shows the main window's skin with
// page PAGE (0, 1 or 2) selected through its tab layout and sample texts
// where the program would fill them in; "SkinShow.exe box" shows the
// message box skin. The window is titled "skin show" and stays until it is
// closed or a minute has passed. Not a test.
#include <windows.h>
#include <cwchar>
#include <string>
#include "DuiLib/Core/SkinResources.h"
#include "DuiLib/Host/WindowImplBase.h"
#include "DuiLib/Layout/TabLayoutUI.h"

using namespace DuiLib;

namespace {

class SkinWindow : public WindowImplBase {
public:
    SkinWindow(std::wstring skin, int page) : m_skin(std::move(skin)), m_page(page) {}
    const wchar_t* GetWindowClassName() const override { return L"TarvoSkinShow"; }
    std::wstring GetSkinFolder() override { return L""; }
    std::wstring GetSkinFile() override { return m_skin; }
    void OnFinalMessage(HWND hWnd) override
    {
        WindowImplBase::OnFinalMessage(hWnd);
        PostQuitMessage(0);
    }
    void InitWindow() override
    {
        if (auto* tabs = static_cast<CTabLayoutUI*>(m_pm.FindControl(L"tb_main")))
            tabs->SelectItem(m_page);
        SetText(L"edit_input", L"D:\\塔沃网络\\塔沃岚盒");
        SetText(L"lb_leftspace", L"35.2GB");
        SetText(L"lb_speed", L"1.2MB/s");
    }

private:
    void SetText(const wchar_t* name, const wchar_t* text)
    {
        if (CControlUI* control = m_pm.FindControl(name))
            control->SetText(text);
    }

    std::wstring m_skin;
    int m_page;
};

} // namespace

int wmain(int argc, wchar_t** argv)
{
    bool box = argc > 1 && wcscmp(argv[1], L"box") == 0;
    int page = argc > 2 ? _wtoi(argv[2]) : 0;
    CSkinResources::SetInstance(GetModuleHandleW(nullptr));
    SkinWindow window(box ? L"MessageBox.xml" : L"InstallPackages.xml", page);
    if (!window.Create(nullptr, L"skin show", WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX, 0))
        return 1;
    window.CenterWindow();
    window.ShowWindow(true, false);
    SetTimer(nullptr, 0, 60000, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0 && msg.message != WM_TIMER) {
        if (!CWindowManagerUI::TranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return 0;
}
