#pragma once
// The installer's main window as the skin describes it: class
// "InstallPackages", the "InstallPackages.xml" page set, the program icon
// and a system menu without Close. Its end ends the program's message loop.
// Lives in the entry function's frame; UI thread only.
#include "DuiLib/Core/WindowImplBase.h"

class CSetupWindow : public DuiLib::WindowImplBase {
public:
    static constexpr DWORD kStyle = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX;
    static const wchar_t* Title() { return L"安装星砂物语"; }

    const wchar_t* GetWindowClassName() const override { return L"InstallPackages"; }
    void OnFinalMessage(HWND hWnd) override;
    void InitWindow() override;
    std::wstring GetSkinFolder() override { return L"no use"; }
    std::wstring GetSkinFile() override { return L"InstallPackages.xml"; }
};
