#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include "DuiLib/Core/SkinResources.h"
#include "DuiLib/Host/WndShadow.h"
#include "InstallerApp.h"
#include "MainDlg.h"
#include "Runtime/SystemLibrary.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int)
{
    CSystemLibrary::RestrictSearchToSystem32();
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    CInstallerApp* app = CInstallerApp::Instance();
    app->SetCommandLine(commandLine);
    DuiLib::CSkinResources::SetInstance(instance);
    DuiLib::CWndShadow::Initialize(instance);

    CMainDlg window;
    app->Startup();
    int exitCode = 0;
    const bool created = window.Create(nullptr, CMainDlg::kTitle, CMainDlg::kStyle, 0, 0, 0, 0, 0) != nullptr;
    if (created) {
        window.CenterWindow();
        window.ShowWindow(true, true);
        CoInitialize(nullptr);
        OleInitialize(nullptr);
        if (SUCCEEDED(CoInitialize(nullptr)))
            exitCode = CInstallerApp::MessageLoop();
        DuiLib::CSkinResources::CloseArchive();
    }
    app->Shutdown();
    if (created)
        OleUninitialize();
    return exitCode;
}
