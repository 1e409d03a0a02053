#include "InstallerApp.h"
#include <cwctype>
#include <limits>
#include "DuiLib/Host/WindowManagerUI.h"
#include "Http/HttpMgr.h"
#include "Runtime/MainThreadDispatcher.h"

bool CInstallerApp::s_dispatchStarted = false;
bool CInstallerApp::s_engineStarted = false;

CInstallerApp* CInstallerApp::Instance()
{
    static CInstallerApp app;
    return &app;
}

void CInstallerApp::SetCommandLine(const wchar_t* commandLine)
{
    if (commandLine && *commandLine)
        m_launchId = static_cast<uint16_t>(static_cast<uint32_t>(ParseDecimal(commandLine)));
}

int32_t CInstallerApp::ParseDecimal(const wchar_t* text)
{
    while (std::iswspace(*text))
        ++text;
    bool negative = *text == L'-';
    if (*text == L'-' || *text == L'+')
        ++text;
    int64_t value = 0;
    const int64_t limit = negative ? -static_cast<int64_t>(std::numeric_limits<int32_t>::min())
                                   : std::numeric_limits<int32_t>::max();
    for (; *text >= L'0' && *text <= L'9'; ++text) {
        value = value * 10 + (*text - L'0');
        if (value > limit)
            value = limit; // keeps consuming digits, as the runtime does, but saturated
    }
    return static_cast<int32_t>(negative ? -value : value);
}

void CInstallerApp::Startup()
{
    if (!s_dispatchStarted) {
        CMainThreadDispatcher::Startup();
        s_dispatchStarted = true;
    }
    if (!s_engineStarted) {
        CHttpMgr::StartEngine();
        s_engineStarted = true;
    }
}

// The dispatcher goes first: events the workers post while they stop stay
// queued and never reach the managers deleted after them.
void CInstallerApp::Shutdown()
{
    CMainThreadDispatcher::Shutdown();
    if (s_engineStarted) {
        CHttpMgr::StopEngine();
        s_engineStarted = false;
    }
}

int CInstallerApp::MessageLoop()
{
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (DuiLib::CWindowManagerUI::TranslateMessage(&msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
