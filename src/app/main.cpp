#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include "DuiLib/Core/SkinResources.h"
#include "DuiLib/Host/WndShadow.h"
#include "InstallerApp.h"
#include "MainDlg.h"
#include "Runtime/SystemLibrary.h"
#include "StartupTrace.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int)
{
    CSystemLibrary::RestrictSearchToSystem32();
    CStartupTrace::Reach(CStartupTrace::kMain);

    CInstallerApp* app = CInstallerApp::Instance();
    app->SetCommandLine(commandLine);
    DuiLib::CSkinResources::SetInstance(instance);
    DuiLib::CWndShadow::Initialize(instance);

    CMainDlg window;
    int exitCode = 0;
    const bool created = window.Create(nullptr, CMainDlg::kTitle, CMainDlg::kStyle, 0, 0, 0, 0, 0) != nullptr;
    if (created) {
        CStartupTrace::Reach(CStartupTrace::kBuilt);
        window.CenterWindow();
        window.ShowWindow(true, true);
        CStartupTrace::Reach(CStartupTrace::kShown);
        // The first frame is painted at once. Nothing in it needs the icon
        // (the skin draws its own caption), the common controls or the
        // network engine: they come after it, before any message is handled.
        UpdateWindow(window);
        window.SetIcon(101);
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
        app->Startup();
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
