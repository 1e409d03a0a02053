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
    // The platform's input-method layer loads COM when the window first
    // activates, and under Wine that load still looks beside the program:
    // COM is taken from System32 first, so that load finds it loaded.
    CSystemLibrary::Load(L"ole32.dll");

    CInstallerApp* app = CInstallerApp::Instance();
    app->SetCommandLine(commandLine);
    DuiLib::CSkinResources::SetInstance(instance);
    DuiLib::CWndShadow::Initialize(instance);

    CMainDlg window;
    int exitCode = 0;
    bool ole = false;
    const bool created = window.Create(nullptr, CMainDlg::kTitle, CMainDlg::kStyle, 0, 0, 0, 0, 0) != nullptr;
    if (created) {
        CStartupTrace::Reach(CStartupTrace::kBuilt);
        window.CenterWindow();
        window.ShowWindow(true, true);
        CStartupTrace::Reach(CStartupTrace::kShown);
        // The first frame is painted at once. Nothing handled while the
        // window shows and paints needs its icon (handed over before the
        // show, it took about 4 ms under Wine; after the first frame, 2),
        // the common controls, the network engine or COM: they come after
        // it, and the window's first loop after them.
        UpdateWindow(window);
        window.SetIcon(101);
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
        app->Startup();
        // COM's own references are left to the end of the process, which
        // releases them anyway; OLE is given back only if it started.
        CoInitialize(nullptr);
        ole = SUCCEEDED(OleInitialize(nullptr));
        if (SUCCEEDED(CoInitialize(nullptr)))
            exitCode = CInstallerApp::MessageLoop();
        DuiLib::CSkinResources::CloseArchive();
    }
    app->Shutdown();
    if (ole)
        OleUninitialize();
    return exitCode;
}
