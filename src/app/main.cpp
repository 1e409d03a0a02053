#include <windows.h>
#include <commctrl.h>
#include "InstallerApp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int)
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    CInstallerApp* app = CInstallerApp::Instance();
    app->SetCommandLine(commandLine);
    app->Startup();
    // The message loop runs only while the installer window exists; without
    // one the process ends here with 0.
    app->Shutdown();
    return 0;
}
